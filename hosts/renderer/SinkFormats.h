#pragma once
// What the installed GStreamer can play, as the renderer's Sink list.
#include <string>
#include <vector>

// The audio/* and video/* media types that a decoder or demuxer accepts
// (raw formats left out), sorted, without repeats. Needs gst_init.
std::vector<std::string> PlayableMediaTypes();
