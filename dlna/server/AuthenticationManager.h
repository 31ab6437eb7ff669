#pragma once
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "server/AuthenticationListener.h"
#include "server/HardwareAddressCache.h"

// One client's state: who it is and the challenge it must answer.
struct Cookie {
    HardwareAddress hardware{};
    Bytes challenge;  // empty until first needed, then kChallengeSize bytes
};

// The password and the clients that proved they know it, told apart by
// hardware address. Request threads and host threads share it: one mutex
// guards the lists and the password.
class AuthenticationManager : public AuthenticationListener {
public:
    using RandomSource = std::function<std::optional<Bytes>(size_t count)>;
    // Clients that asked for a challenge and never answered are forgotten,
    // oldest first, beyond this many.
    static constexpr size_t kMaxPending = 1024;

    explicit AuthenticationManager(HardwareAddressCache& cache,
                                   RandomSource random = RandomBytes);

    bool OnGetChallenge(const std::string& address, Bytes* challenge) override;
    bool OnAuthenticate(const std::string& address, const Bytes& digest) override;
    bool IsAuthenticated(const HardwareAddress& hardware);
    bool HasPassword();

    // Forgets every authenticated client; pending ones keep their challenge.
    void SetPassword(const std::string& password);
    HardwareAddress HardwareAddressOf(const std::string& address);

    size_t PendingCount();
    size_t AuthenticatedCount();

private:
    using CookieList = std::deque<std::shared_ptr<Cookie>>;
    static CookieList::iterator Find(CookieList& list, const HardwareAddress& hardware);
    bool NewChallenge(Cookie& cookie);

    HardwareAddressCache& cache_;
    RandomSource random_;
    std::mutex mutex_;
    CookieList pending_;
    CookieList authenticated_;
    std::string password_;
};
