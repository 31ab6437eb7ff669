// HMAC-MD5 against RFC 2202's published vectors, Base64 both ways.
#include <gtest/gtest.h>

#include "common/AuthenticationDigest.h"

namespace {

Bytes Repeat(uint8_t byte, size_t count) {
    return Bytes(count, byte);
}
Bytes Of(const std::string& text) {
    return Bytes(text.begin(), text.end());
}
std::string Hex(const Bytes& bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (uint8_t b : bytes) {
        out += kHex[b >> 4];
        out += kHex[b & 15];
    }
    return out;
}

}  // namespace

TEST(Digest, MatchesRfc2202HmacMd5Vectors) {
    const struct {
        std::string key;
        Bytes data;
        const char* digest;
    } vectors[] = {
        {std::string(16, '\x0b'), Of("Hi There"), "9294727a3638bb1c13f48ef8158bfc9d"},
        {"Jefe", Of("what do ya want for nothing?"), "750c783e6ab0b503eaa86e310a5db738"},
        {std::string(16, '\xaa'), Repeat(0xdd, 50), "56be34521d144c88dbb8c733f0e8b3f6"},
        // A key longer than the block is first hashed.
        {std::string(80, '\xaa'), Of("Test Using Larger Than Block-Size Key - Hash Key First"),
         "6b1ab7fe4bd7bf8f0b62e6ce61b9d0cd"},
    };
    for (const auto& v : vectors) {
        EXPECT_EQ(Hex(ComputeDigest(v.key, v.data)), v.digest);
        EXPECT_TRUE(DigestMatches(v.key, v.data, ComputeDigest(v.key, v.data)));
    }
}

TEST(Digest, OnlyTheExactSixteenBytesMatch) {
    const Bytes challenge = Repeat(7, kChallengeSize);
    Bytes digest = ComputeDigest("pw", challenge);
    Bytes longer = digest;
    longer.push_back(0);
    EXPECT_FALSE(DigestMatches("pw", challenge, longer));
    EXPECT_FALSE(DigestMatches("pw", challenge, Bytes(digest.begin(), digest.end() - 1)));
    digest[15] ^= 1;
    EXPECT_FALSE(DigestMatches("pw", challenge, digest));
    EXPECT_FALSE(DigestMatches("pw", challenge, {}));
}

TEST(Base64, RoundTripsAndRefusesMalformedText) {
    const struct {
        Bytes bytes;
        const char* text;
    } pairs[] = {
        {{}, ""},
        {Of("f"), "Zg=="},
        {Of("fo"), "Zm8="},
        {Of("foo"), "Zm9v"},
        {{0xfb, 0xff}, "+/8="},
    };
    for (const auto& p : pairs) {
        EXPECT_EQ(Base64Encode(p.bytes), p.text);
        EXPECT_EQ(Base64Decode(p.text), p.bytes) << p.text;
    }
    for (const char* bad : {"Zg=", "Zg==Zg==", "Z===", "Zm9v\n", "Zm-v", "=Zm9"})
        EXPECT_FALSE(Base64Decode(bad)) << bad;
    EXPECT_EQ(Base64Encode(Repeat(1, kChallengeSize)).size(), 344u);
}
