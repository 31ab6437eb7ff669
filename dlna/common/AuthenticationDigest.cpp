#include "common/AuthenticationDigest.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <cctype>

std::string Base64Encode(const Bytes& bytes) {
    std::string text(4 * ((bytes.size() + 2) / 3), '\0');
    const int written = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()), bytes.data(),
                                        static_cast<int>(bytes.size()));
    text.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return text;
}

std::optional<Bytes> Base64Decode(const std::string& text) {
    if (text.size() % 4 != 0) return std::nullopt;
    if (text.empty()) return Bytes{};
    // EVP_DecodeBlock skips surrounding white space; the service's texts
    // carry none, so any is a malformed digest.
    for (char c : text)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '/' || c == '='))
            return std::nullopt;
    const size_t padding = text.ends_with("==") ? 2 : text.ends_with("=") ? 1 : 0;
    if (text.find('=') < text.size() - padding) return std::nullopt;
    Bytes bytes(3 * text.size() / 4);
    const int decoded =
        EVP_DecodeBlock(bytes.data(), reinterpret_cast<const unsigned char*>(text.data()),
                        static_cast<int>(text.size()));
    if (decoded < 0 || static_cast<size_t>(decoded) < padding) return std::nullopt;
    // EVP_DecodeBlock counts the padding as zero bytes.
    bytes.resize(static_cast<size_t>(decoded) - padding);
    return bytes;
}

Bytes ComputeDigest(const std::string& password, const Bytes& message) {
    Bytes digest(EVP_MAX_MD_SIZE);
    unsigned int length = 0;
    if (!HMAC(EVP_md5(), password.data(), static_cast<int>(password.size()), message.data(),
              message.size(), digest.data(), &length))
        return {};
    digest.resize(length);
    return digest;
}

bool DigestMatches(const std::string& password, const Bytes& challenge, const Bytes& digest) {
    if (digest.size() != kDigestSize) return false;
    const Bytes expected = ComputeDigest(password, challenge);
    return expected.size() == kDigestSize &&
           CRYPTO_memcmp(expected.data(), digest.data(), kDigestSize) == 0;
}

std::optional<Bytes> RandomBytes(size_t count) {
    Bytes bytes(count);
    if (RAND_bytes(bytes.data(), static_cast<int>(count)) != 1) return std::nullopt;
    return bytes;
}
