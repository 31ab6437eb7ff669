#pragma once
// What the installed GStreamer can play, as the renderer's Sink list.
#include <string>
#include <vector>

// One "http-get:*:FORMAT:INFO" entry.
struct SinkFormat {
    std::string content_format;
    std::string additional_info;
};

// DLNA profile entries ("DLNA.ORG_PN=...") whose container and codecs
// GStreamer has elements for, then a "*" entry for every audio/* and video/*
// media type (raw formats left out) that a decoder or demuxer accepts, and
// for image/* ones a decoder accepts when images can be shown. Needs gst_init.
std::vector<SinkFormat> PlayableFormats();
