#include "renderer/AVTransportEvents.h"

#include <algorithm>
#include <iterator>
#include <string_view>
#include <utility>

#include "renderer/RecordFields.h"

namespace {

// SOAP out-argument -> evented state variable. Arguments not listed (the
// positions and counters) are never evented.
constexpr std::pair<std::string_view, const char*> kVariables[] = {
    {"CurrentTransportState", "TransportState"},
    {"CurrentTransportStatus", "TransportStatus"},
    {"CurrentSpeed", "TransportPlaySpeed"},
    {"NrTracks", "NumberOfTracks"},
    {"MediaDuration", "CurrentMediaDuration"},
    {"CurrentURI", "AVTransportURI"},
    {"CurrentURIMetaData", "AVTransportURIMetaData"},
    {"NextURI", "NextAVTransportURI"},
    {"NextURIMetaData", "NextAVTransportURIMetaData"},
    {"PlayMedium", "PlaybackStorageMedium"},
    {"RecordMedium", "RecordStorageMedium"},
    {"WriteStatus", "RecordMediumWriteStatus"},
    {"Track", "CurrentTrack"},
    {"TrackDuration", "CurrentTrackDuration"},
    {"TrackMetaData", "CurrentTrackMetaData"},
    {"TrackURI", "CurrentTrackURI"},
    {"PlayMedia", "PossiblePlaybackStorageMedia"},
    {"RecMedia", "PossibleRecordStorageMedia"},
    {"RecQualityModes", "PossibleRecordQualityModes"},
    {"PlayMode", "CurrentPlayMode"},
    {"RecQualityMode", "CurrentRecordQualityMode"},
};

template <class R>
void Append(const R& group, EventValues& out) {
    ActionResults arguments;
    // A value outside its table stops the group there: what came before it
    // is still sent.
    ToArguments(group, arguments);
    for (const ActionParameter& argument : arguments)
        for (const auto& [name, variable] : kVariables)
            if (name == argument.name) out.emplace_back(variable, argument.Text());
}

}  // namespace

const char* TransportActionsOf(DLNA_TRANSPORT_STATE state) {
    switch (state) {
        case DLNA_PLAYING: return "Play,Stop,Pause,Seek,Next,Previous";
        case DLNA_PAUSED_PLAYBACK: return "Play,Stop,Seek,Next,Previous";
        case DLNA_STOPPED: return "Play,Seek,Next,Previous";
        case DLNA_TRANSITIONING: return "Stop";
        case DLNA_NO_MEDIA_PRESENT: break;
    }
    return "";
}

EventValues EventedValues(const TransportInfo& transport) {
    EventValues out;
    Append(transport, out);
    out.emplace_back("CurrentTransportActions",
                     TransportActionsOf(
                         static_cast<DLNA_TRANSPORT_STATE>(transport.current_transport_state.raw)));
    return out;
}

EventValues EventedValues(const MediaInfo& media) {
    EventValues out;
    Append(media, out);
    return out;
}

EventValues EventedValues(const PositionInfo& position) {
    EventValues out;
    Append(position, out);
    return out;
}

EventValues EventedValues(const DeviceCapabilities& capabilities) {
    EventValues out;
    Append(capabilities, out);
    return out;
}

EventValues EventedValues(const TransportSettings& settings) {
    EventValues out;
    Append(settings, out);
    return out;
}

EventValues AVTransportEventState(const AVTransportInstance& instance) {
    EventValues out;
    for (EventValues group :
         {EventedValues(instance.transport), EventedValues(instance.media),
          EventedValues(instance.position), EventedValues(instance.capabilities),
          EventedValues(instance.settings)})
        std::move(group.begin(), group.end(), std::back_inserter(out));
    return out;
}
