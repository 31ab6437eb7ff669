#pragma once
// The five state groups of a renderer instance as value types that own
// their strings. The renderer keeps them and answers queries from copies;
// a controller reads them from a remote response (FromResponse) and hands
// them to its host as plain records (CopyToRecord). The operations are in
// RecordFields.h.
#include <cstdint>
#include <string>
#include <tuple>

#include "DLNA.h"
#include "renderer/RecordFields.h"

inline constexpr char kNotImplemented[] = "NOT_IMPLEMENTED";
inline constexpr char kZeroTime[] = "00:00:00";

struct MediaInfo {
    uint32_t nr_tracks = 0;
    std::string media_duration = kZeroTime;
    std::string current_uri;
    std::string current_uri_metadata;
    std::string next_uri;
    std::string next_uri_metadata;
    std::string play_medium = kNotImplemented;
    std::string record_medium = kNotImplemented;
    std::string write_status = kNotImplemented;
};

struct TransportInfo {
    EnumValue<DLNA_TRANSPORT_STATE> current_transport_state = DLNA_NO_MEDIA_PRESENT;
    // A fresh instance reports an error until the host says otherwise.
    EnumValue<DLNA_TRANSPORT_STATUS> current_transport_status = DLNA_STATUS_ERROR_OCCURRED;
    std::string current_speed = "0";
};

struct PositionInfo {
    int32_t track = 0;
    std::string track_duration = kZeroTime;
    std::string track_metadata;
    std::string track_uri;
    std::string rel_time = kZeroTime;
    std::string abs_time = kZeroTime;
    int32_t rel_count = 0;
    int32_t abs_count = 0;
};

struct DeviceCapabilities {
    std::string play_media;
    std::string rec_media;
    std::string rec_quality_modes;
};

struct TransportSettings {
    EnumValue<DLNA_PLAY_MODE> play_mode = DLNA_NORMAL;
    EnumValue<DLNA_REC_QUALITY_MODE> rec_quality_mode = DLNA_REC_QUALITY_NOT_IMPLEMENTED;
};

// One playback instance: the five groups, each replaced whole.
struct AVTransportInstance {
    MediaInfo media;
    TransportInfo transport;
    PositionInfo position;
    DeviceCapabilities capabilities;
    TransportSettings settings;
};

template <>
struct RecordTraits<MediaInfo> {
    using CRecord = DLNA_MEDIA_INFO;
    static constexpr std::tuple kFields{
        RecordField{"NrTracks", "nr_tracks", &MediaInfo::nr_tracks, &CRecord::nr_tracks},
        RecordField{"MediaDuration", "media_duration", &MediaInfo::media_duration,
                    &CRecord::media_duration},
        RecordField{"CurrentURI", "current_uri", &MediaInfo::current_uri, &CRecord::current_uri},
        RecordField{"CurrentURIMetaData", "current_uri_metadata", &MediaInfo::current_uri_metadata,
                    &CRecord::current_uri_metadata},
        RecordField{"NextURI", "next_uri", &MediaInfo::next_uri, &CRecord::next_uri},
        RecordField{"NextURIMetaData", "next_uri_metadata", &MediaInfo::next_uri_metadata,
                    &CRecord::next_uri_metadata},
        RecordField{"PlayMedium", "play_medium", &MediaInfo::play_medium, &CRecord::play_medium},
        RecordField{"RecordMedium", "record_medium", &MediaInfo::record_medium,
                    &CRecord::record_medium},
        RecordField{"WriteStatus", "write_status", &MediaInfo::write_status,
                    &CRecord::write_status},
    };
};

template <>
struct RecordTraits<TransportInfo> {
    using CRecord = DLNA_TRANSPORT_INFO;
    static constexpr std::tuple kFields{
        RecordField{"CurrentTransportState", "current_transport_state",
                    &TransportInfo::current_transport_state, &CRecord::current_transport_state},
        RecordField{"CurrentTransportStatus", "current_transport_status",
                    &TransportInfo::current_transport_status, &CRecord::current_transport_status},
        RecordField{"CurrentSpeed", "current_speed", &TransportInfo::current_speed,
                    &CRecord::current_speed},
    };
};

template <>
struct RecordTraits<PositionInfo> {
    using CRecord = DLNA_POSITION_INFO;
    static constexpr std::tuple kFields{
        RecordField{"Track", "track", &PositionInfo::track, &CRecord::track},
        RecordField{"TrackDuration", "track_duration", &PositionInfo::track_duration,
                    &CRecord::track_duration},
        RecordField{"TrackMetaData", "track_metadata", &PositionInfo::track_metadata,
                    &CRecord::track_metadata},
        RecordField{"TrackURI", "track_uri", &PositionInfo::track_uri, &CRecord::track_uri},
        RecordField{"RelTime", "rel_time", &PositionInfo::rel_time, &CRecord::rel_time},
        RecordField{"AbsTime", "abs_time", &PositionInfo::abs_time, &CRecord::abs_time},
        RecordField{"RelCount", "rel_count", &PositionInfo::rel_count, &CRecord::rel_count},
        RecordField{"AbsCount", "abs_count", &PositionInfo::abs_count, &CRecord::abs_count},
    };
};

template <>
struct RecordTraits<DeviceCapabilities> {
    using CRecord = DLNA_DEVICE_CAPABILITIES;
    static constexpr std::tuple kFields{
        RecordField{"PlayMedia", "play_media", &DeviceCapabilities::play_media,
                    &CRecord::play_media},
        RecordField{"RecMedia", "rec_media", &DeviceCapabilities::rec_media, &CRecord::rec_media},
        RecordField{"RecQualityModes", "rec_quality_modes", &DeviceCapabilities::rec_quality_modes,
                    &CRecord::rec_quality_modes},
    };
};

template <>
struct RecordTraits<TransportSettings> {
    using CRecord = DLNA_TRANSPORT_SETTINGS;
    static constexpr std::tuple kFields{
        RecordField{"PlayMode", "play_mode", &TransportSettings::play_mode, &CRecord::play_mode,
                    LogLevel::Info},
        RecordField{"RecQualityMode", "rec_quality_mode", &TransportSettings::rec_quality_mode,
                    &CRecord::rec_quality_mode},
    };
};
