#pragma once
// The renderer host's answer to the library's events: commands go to the
// player, and every query event is answered with fresh state through the
// DLNA_DMR_ setters before the callback returns.
#include <memory>

#include "DLNA.h"
#include "Player.h"

class RendererHost {
public:
    // Without a player every event is answered 0 and nothing is stored, so
    // a control point sees the library's own defaults.
    explicit RendererHost(std::unique_ptr<Player> player) : player_(std::move(player)) {}

    static int Callback(DLNA_EVENT event, void* data, void* self);

private:
    int Handle(DLNA_EVENT event, void* data);
    int OnUri(const DLNA_URI_EVENT& event);
    int OnSeek(const DLNA_SEEK_EVENT& event);
    void StoreMediaInfo(const Player::Status& status);
    void StoreTransportInfo(const Player::Status& status);
    void StorePositionInfo(const Player::Status& status);

    std::unique_ptr<Player> player_;
    // The last URI's metadata document, as the host was handed it.
    std::string metadata_;
};
