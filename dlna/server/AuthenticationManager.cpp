#include "server/AuthenticationManager.h"

#include <algorithm>

AuthenticationManager::AuthenticationManager(HardwareAddressCache& cache, RandomSource random)
    : cache_(cache), random_(std::move(random)) {}

AuthenticationManager::CookieList::iterator AuthenticationManager::Find(
    CookieList& list, const HardwareAddress& hardware) {
    return std::find_if(list.begin(), list.end(),
                        [&](const auto& cookie) { return cookie->hardware == hardware; });
}

bool AuthenticationManager::NewChallenge(Cookie& cookie) {
    auto bytes = random_(kChallengeSize);
    if (!bytes || bytes->size() != kChallengeSize) {
        // Never leave the old challenge in place: it has been answered.
        cookie.challenge.clear();
        return false;
    }
    cookie.challenge = std::move(*bytes);
    return true;
}

HardwareAddress AuthenticationManager::HardwareAddressOf(const std::string& address) {
    return cache_.Lookup(address);
}

bool AuthenticationManager::OnGetChallenge(const std::string& address, Bytes* challenge) {
    const HardwareAddress hardware = HardwareAddressOf(address);
    std::lock_guard<std::mutex> guard(mutex_);
    std::shared_ptr<Cookie> cookie;
    if (auto it = Find(pending_, hardware); it != pending_.end()) {
        cookie = *it;
    } else if (auto done = Find(authenticated_, hardware); done != authenticated_.end()) {
        cookie = *done;
    } else {
        cookie = std::make_shared<Cookie>();
        cookie->hardware = hardware;
        if (pending_.size() >= kMaxPending) pending_.pop_front();
        pending_.push_back(cookie);
    }
    if (cookie->challenge.empty() && !NewChallenge(*cookie)) return false;
    *challenge = cookie->challenge;
    return true;
}

bool AuthenticationManager::OnAuthenticate(const std::string& address, const Bytes& digest) {
    const HardwareAddress hardware = HardwareAddressOf(address);
    std::lock_guard<std::mutex> guard(mutex_);
    if (password_.empty()) return true;
    if (auto it = Find(pending_, hardware); it != pending_.end()) {
        std::shared_ptr<Cookie> cookie = *it;
        if (!DigestMatches(password_, cookie->challenge, digest)) return false;
        NewChallenge(*cookie);
        pending_.erase(it);
        authenticated_.push_back(std::move(cookie));
        return true;
    }
    if (auto it = Find(authenticated_, hardware); it != authenticated_.end()) {
        if (!DigestMatches(password_, (*it)->challenge, digest)) return false;
        NewChallenge(**it);
        return true;
    }
    return false;
}

bool AuthenticationManager::IsAuthenticated(const HardwareAddress& hardware) {
    std::lock_guard<std::mutex> guard(mutex_);
    return password_.empty() || Find(authenticated_, hardware) != authenticated_.end();
}

bool AuthenticationManager::HasPassword() {
    std::lock_guard<std::mutex> guard(mutex_);
    return !password_.empty();
}

void AuthenticationManager::SetPassword(const std::string& password) {
    std::lock_guard<std::mutex> guard(mutex_);
    password_ = password;
    authenticated_.clear();
}

size_t AuthenticationManager::PendingCount() {
    std::lock_guard<std::mutex> guard(mutex_);
    return pending_.size();
}

size_t AuthenticationManager::AuthenticatedCount() {
    std::lock_guard<std::mutex> guard(mutex_);
    return authenticated_.size();
}
