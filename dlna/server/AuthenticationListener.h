#pragma once
#include <string>

#include "common/AuthenticationDigest.h"

// What the Authentication service asks of whoever keeps the clients' state.
// `address` is the requesting control point's IPv4 address as text.
class AuthenticationListener {
public:
    virtual ~AuthenticationListener() = default;
    // False when no challenge can be made.
    virtual bool OnGetChallenge(const std::string& address, Bytes* challenge) = 0;
    virtual bool OnAuthenticate(const std::string& address, const Bytes& digest) = 0;
};
