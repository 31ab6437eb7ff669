#pragma once
// The renderer host's answer to the library's events: commands go to the
// player, and the player's state is stored through the DLNA_DMR_ setters
// whenever it changes, and again on every query, each group only when it
// differs from what was stored last (a store may become an event).
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>

#include "DLNA.h"
#include "Player.h"

class RendererHost {
public:
    // Without a player every event is answered 0 and nothing is stored, so
    // a control point sees the library's own defaults.
    explicit RendererHost(std::unique_ptr<Player> player) : player_(std::move(player)) {}

    static int Callback(DLNA_EVENT event, void* data, void* self);
    // Stores the state now and from then on after every change.
    void Attach();
    // Before DLNA_Finalize: the player's thread stores nothing more.
    void Detach();

private:
    int Handle(DLNA_EVENT event, void* data);
    int OnUri(const DLNA_URI_EVENT& event);
    int OnSeek(const DLNA_SEEK_EVENT& event);
    // Stores the groups that changed; an older snapshot than the last one
    // stored (from the other thread) is dropped.
    void Publish(const Player::Status& status);

    std::unique_ptr<Player> player_;

    std::mutex mutex_;  // the setters run under it, so stores keep their order
    uint64_t revision_ = 0;
    bool stored_ = false;
    std::tuple<bool, std::string, std::string, std::string, std::string, std::string> media_;
    std::tuple<DLNA_TRANSPORT_STATE, bool> transport_;
    std::tuple<bool, std::string, std::string, std::string, std::string> position_;
    int volume_ = -1;
};
