// The Authentication service's arithmetic on a client's text: Base64
// decoding of the digest and its check against the challenge. Input: the
// Base64 text a client sends.
#include "FuzzSupport.h"
#include "FuzzTarget.h"
#include "common/AuthenticationDigest.h"

HALVORN_FUZZ_TARGET(authentication) {
    const std::string text(AsText(data, size));
    const auto decoded = Base64Decode(text);
    if (!decoded) return;
    FUZZ_CHECK(decoded->size() <= 3 * text.size() / 4);
    FUZZ_CHECK(Base64Decode(Base64Encode(*decoded)) == decoded);

    static const Bytes challenge(kChallengeSize, 0x5a);
    static const Bytes expected = ComputeDigest("secret", challenge);
    FUZZ_CHECK(DigestMatches("secret", challenge, *decoded) == (*decoded == expected));
    FUZZ_CHECK(!DigestMatches("", challenge, *decoded) || *decoded == ComputeDigest("", challenge));
}
