#pragma once
// The renderer's enumerations and their exact text forms.
#include <cstdint>

#include "DLNA.h"
#include "renderer/EnumTable.h"

// A renderer that can pause must be able to say so: all five states.
inline constexpr auto kTransportStateTable = MakeEnumTable<DLNA_TRANSPORT_STATE>({
    {DLNA_NO_MEDIA_PRESENT, "NO_MEDIA_PRESENT"},
    {DLNA_STOPPED, "STOPPED"},
    {DLNA_PLAYING, "PLAYING"},
    {DLNA_PAUSED_PLAYBACK, "PAUSED_PLAYBACK"},
    {DLNA_TRANSITIONING, "TRANSITIONING"},
});

inline constexpr auto kTransportStatusTable = MakeEnumTable<DLNA_TRANSPORT_STATUS>({
    {DLNA_STATUS_OK, "OK"},
    {DLNA_STATUS_ERROR_OCCURRED, "ERROR_OCCURRED"},
});

inline constexpr auto kPlayModeTable = MakeEnumTable<DLNA_PLAY_MODE>({
    {DLNA_NORMAL, "NORMAL"},
    {DLNA_SHUFFLE, "SHUFFLE"},
    {DLNA_REPEAT_ALL, "REPEAT_ALL"},
});

inline constexpr auto kRecQualityModeTable = MakeEnumTable<DLNA_REC_QUALITY_MODE>({
    {DLNA_REC_QUALITY_NOT_IMPLEMENTED, "NOT_IMPLEMENTED"},
    {DLNA_REC_QUALITY_EP, "0:EP"},
    {DLNA_REC_QUALITY_LP, "1:LP"},
    {DLNA_REC_QUALITY_SP, "2:SP"},
    {DLNA_REC_QUALITY_BASIC, "0:BASIC"},
    {DLNA_REC_QUALITY_MEDIUM, "1:MEDIUM"},
    {DLNA_REC_QUALITY_HIGH, "2:HIGH"},
});

inline constexpr auto kSeekUnitTable = MakeEnumTable<DLNA_SEEK_UNIT>({
    {DLNA_TRACK_NR, "TRACK_NR"},
    {DLNA_REL_TIME, "REL_TIME"},
});

// RenderingControl channels: "Master" alone.
inline constexpr auto kChannelTable = MakeEnumTable<int32_t>({{0, "Master"}});

// Each enumeration's table, for code generic over record fields.
constexpr const auto& TableOf(DLNA_TRANSPORT_STATE) {
    return kTransportStateTable;
}
constexpr const auto& TableOf(DLNA_TRANSPORT_STATUS) {
    return kTransportStatusTable;
}
constexpr const auto& TableOf(DLNA_PLAY_MODE) {
    return kPlayModeTable;
}
constexpr const auto& TableOf(DLNA_REC_QUALITY_MODE) {
    return kRecQualityModeTable;
}
constexpr const auto& TableOf(DLNA_SEEK_UNIT) {
    return kSeekUnitTable;
}
