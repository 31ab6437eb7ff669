#include "RendererHost.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "TimeText.h"

namespace {

// Counters a renderer does not keep, as AVTransport writes them.
constexpr int32_t kNoCounter = 2147483647;

char* Text(std::string& text) {
    return text.data();
}

// The item's title and DIDL-Lite document; empty without metadata.
std::pair<std::string, std::string> Describe(const DLNA_CONTENT_ELEMENT* element) {
    if (!element || element->type != DLNA_CONTENT_ITEM) return {};
    const auto& item = element->element.item;
    return {item.title ? item.title : "", item.didl ? item.didl : ""};
}

}  // namespace

int RendererHost::Callback(DLNA_EVENT event, void* data, void* self) {
    auto* host = static_cast<RendererHost*>(self);
    if (!host->player_) return 0;
    return host->Handle(event, data);
}

int RendererHost::Handle(DLNA_EVENT event, void* data) {
    Player& player = *player_;
    switch (event) {
        case DLNA_DMR_SET_AV_TRANSPORT_URI_EVENT:
            return OnUri(*static_cast<DLNA_URI_EVENT*>(data));
        case DLNA_DMR_SET_NEXT_AV_TRANSPORT_URI_EVENT:
            player.SetNext(static_cast<DLNA_URI_EVENT*>(data)->uri);
            return 0;
        case DLNA_DMR_PLAY_EVENT:
            player.Play();
            return 0;
        case DLNA_DMR_PAUSE_EVENT:
            player.Pause();
            return 0;
        case DLNA_DMR_STOP_EVENT:
            player.Stop();
            return 0;
        case DLNA_DMR_SEEK_EVENT:
            return OnSeek(*static_cast<DLNA_SEEK_EVENT*>(data));
        case DLNA_DMR_NEXT_EVENT:
        case DLNA_DMR_PREVIOUS_EVENT:
            return 1;  // one track at a time: there is no other to go to
        case DLNA_DMR_SET_VOLUME_EVENT:
            player.SetVolume(static_cast<DLNA_VOLUME_EVENT*>(data)->volume);
            return 0;
        case DLNA_DMR_GET_VOLUME_EVENT: {
            DLNA_VOLUME volume{0, static_cast<uint16_t>(player.Current().volume)};
            return DLNA_DMR_SetVolume(0, &volume);
        }
        case DLNA_DMR_GET_MEDIAINFO_EVENT:
            StoreMediaInfo(player.Current());
            return 0;
        case DLNA_DMR_GET_TRANSPORT_INFO_EVENT:
            StoreTransportInfo(player.Current());
            return 0;
        case DLNA_DMR_GET_POSITION_INFO_EVENT:
            StorePositionInfo(player.Current());
            return 0;
        case DLNA_DMR_GET_DEVICE_CAPABILITIES_EVENT: {
            std::string network = "NETWORK", none = "NOT_IMPLEMENTED";
            DLNA_DEVICE_CAPABILITIES caps{Text(network), Text(none), Text(none)};
            return DLNA_DMR_SetDeviceCapabilities(0, &caps);
        }
        case DLNA_DMR_GET_TRANSPORT_SETTINGS_EVENT: {
            DLNA_TRANSPORT_SETTINGS settings{DLNA_NORMAL, DLNA_REC_QUALITY_NOT_IMPLEMENTED};
            return DLNA_DMR_SetTransportSettings(0, &settings);
        }
        default:
            // Picture commands, keep-alive, protocol info: nothing to add.
            return 0;
    }
}

int RendererHost::OnUri(const DLNA_URI_EVENT& event) {
    auto [title, didl] = Describe(event.metadata);
    metadata_ = didl;
    std::printf("dlna-renderer: loading %s%s%s\n", event.uri, title.empty() ? "" : " - ",
                title.c_str());
    std::fflush(stdout);
    player_->Load(event.uri);
    StoreMediaInfo(player_->Current());
    return 0;
}

int RendererHost::OnSeek(const DLNA_SEEK_EVENT& event) {
    std::optional<int64_t> target;
    if (event.unit == DLNA_REL_TIME) target = ParseTimeText(event.target);
    // A single track: track 1 is its start.
    if (event.unit == DLNA_TRACK_NR && std::string(event.target) == "1") target = 0;
    if (!target) return 1;
    return player_->Seek(*target) ? 0 : 1;
}

void RendererHost::StoreMediaInfo(const Player::Status& status) {
    std::string duration = TimeText(status.duration), uri = status.uri, next = status.next_uri;
    std::string empty, network = "NETWORK", none = "NOT_IMPLEMENTED";
    DLNA_MEDIA_INFO info{status.uri.empty() ? 0u : 1u,
                         Text(duration),
                         Text(uri),
                         Text(metadata_),
                         Text(next),
                         Text(empty),
                         Text(network),
                         Text(none),
                         Text(none)};
    DLNA_DMR_SetMediaInfo(0, &info);
}

void RendererHost::StoreTransportInfo(const Player::Status& status) {
    std::string speed = "1";
    DLNA_TRANSPORT_INFO info{
        status.state, status.failed ? DLNA_STATUS_ERROR_OCCURRED : DLNA_STATUS_OK, Text(speed)};
    DLNA_DMR_SetTransportInfo(0, &info);
}

void RendererHost::StorePositionInfo(const Player::Status& status) {
    std::string duration = TimeText(status.duration), position = TimeText(status.position);
    std::string uri = status.uri;
    DLNA_POSITION_INFO info{status.uri.empty() ? 0 : 1,
                            Text(duration),
                            Text(metadata_),
                            Text(uri),
                            Text(position),
                            Text(position),
                            kNoCounter,
                            kNoCounter};
    DLNA_DMR_SetPositionInfo(0, &info);
}
