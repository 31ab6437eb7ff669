#pragma once
// The challenge-response arithmetic of the Authentication service: Base64
// (standard alphabet, "=" padding, no line breaks) and HMAC-MD5 keyed with
// the password, both from OpenSSL.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline constexpr size_t kChallengeSize = 256;
inline constexpr size_t kDigestSize = 16;

std::string Base64Encode(const Bytes& bytes);
// nullopt for text that is not padded standard Base64.
std::optional<Bytes> Base64Decode(const std::string& text);

// HMAC-MD5 of `message` under the password's bytes.
Bytes ComputeDigest(const std::string& password, const Bytes& message);

// Whether `digest` is the digest of `challenge` under `password`, compared in
// constant time.
bool DigestMatches(const std::string& password, const Bytes& challenge, const Bytes& digest);

// `count` bytes from OpenSSL's generator; nullopt when it fails.
std::optional<Bytes> RandomBytes(size_t count);
