#include "RendererHost.h"

#include <cstdio>

#include "TimeText.h"

namespace {

// Counters a renderer does not keep, as AVTransport writes them.
constexpr int32_t kNoCounter = 2147483647;
// AVTransport's errors for a seek the stream cannot make and a target past its end.
constexpr int kSeekModeNotSupported = 710;
constexpr int kIllegalSeekTarget = 711;

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

void RendererHost::Attach() {
    if (!player_) return;
    player_->SetListener([this](const Player::Status& status) { Publish(status); });
    Publish(player_->Current());
}

void RendererHost::Detach() {
    if (player_) player_->SetListener(nullptr);
}

int RendererHost::Handle(DLNA_EVENT event, void* data) {
    Player& player = *player_;
    switch (event) {
        case DLNA_DMR_SET_AV_TRANSPORT_URI_EVENT:
            return OnUri(*static_cast<DLNA_URI_EVENT*>(data));
        case DLNA_DMR_SET_NEXT_AV_TRANSPORT_URI_EVENT: {
            const auto& next = *static_cast<DLNA_URI_EVENT*>(data);
            player.SetNext(next.uri, Describe(next.metadata).second);
            return 0;
        }
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
        case DLNA_DMR_GET_VOLUME_EVENT:
        case DLNA_DMR_GET_MEDIAINFO_EVENT:
        case DLNA_DMR_GET_TRANSPORT_INFO_EVENT:
        case DLNA_DMR_GET_POSITION_INFO_EVENT:
            // The position moves without telling; the rest is stored already
            // unless the player's thread is just about to.
            Publish(player.Current());
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
    std::printf("dlna-renderer: loading %s%s%s\n", event.uri, title.empty() ? "" : " - ",
                title.c_str());
    std::fflush(stdout);
    player_->Load(event.uri, didl);
    return 0;
}

int RendererHost::OnSeek(const DLNA_SEEK_EVENT& event) {
    std::optional<int64_t> target;
    if (event.unit == DLNA_REL_TIME) target = ParseTimeText(event.target);
    // A single track: track 1 is its start.
    if (event.unit == DLNA_TRACK_NR && std::string(event.target) == "1") target = 0;
    if (!target) return kIllegalSeekTarget;
    switch (player_->Seek(*target)) {
        case Player::SeekResult::kDone:
            return 0;
        case Player::SeekResult::kNotSeekable:
            return kSeekModeNotSupported;
        case Player::SeekResult::kOutOfRange:
            return kIllegalSeekTarget;
        case Player::SeekResult::kNoMedia:
            break;
    }
    return 1;
}

void RendererHost::Publish(const Player::Status& status) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (stored_ && status.revision < revision_) return;
    revision_ = status.revision;
    const bool first = !stored_;
    stored_ = true;

    const bool loaded = !status.uri.empty();
    std::string duration = TimeText(status.duration), position = TimeText(status.position);
    std::string uri = status.uri, metadata = status.metadata;
    std::string next = status.next_uri, next_metadata = status.next_metadata;

    auto media = std::tie(loaded, duration, uri, metadata, next, next_metadata);
    if (first || media != media_) {
        media_ = media;
        std::string network = "NETWORK", none = "NOT_IMPLEMENTED";
        DLNA_MEDIA_INFO info{loaded ? 1u : 0u, Text(duration),   Text(uri),
                             Text(metadata),   Text(next),       Text(next_metadata),
                             Text(network),    Text(none),       Text(none)};
        DLNA_DMR_SetMediaInfo(0, &info);
    }

    auto transport = std::tie(status.state, status.failed);
    if (first || transport != transport_) {
        transport_ = transport;
        std::string speed = "1";
        DLNA_TRANSPORT_INFO info{
            status.state, status.failed ? DLNA_STATUS_ERROR_OCCURRED : DLNA_STATUS_OK,
            Text(speed)};
        DLNA_DMR_SetTransportInfo(0, &info);
    }

    auto where = std::tie(loaded, duration, metadata, uri, position);
    if (first || where != position_) {
        position_ = where;
        DLNA_POSITION_INFO info{loaded ? 1 : 0,   Text(duration), Text(metadata),
                                Text(uri),        Text(position), Text(position),
                                kNoCounter,       kNoCounter};
        DLNA_DMR_SetPositionInfo(0, &info);
    }

    if (first || status.volume != volume_) {
        volume_ = status.volume;
        DLNA_VOLUME volume{0, static_cast<uint16_t>(status.volume)};
        DLNA_DMR_SetVolume(0, &volume);
    }
}
