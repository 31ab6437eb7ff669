#pragma once
// Small real media files made at test time: audio and video encoded and
// muxed with FFmpeg's libraries, pictures drawn and saved with GdkPixbuf.
// Nothing is downloaded.
#include <map>
#include <string>

namespace fixtures {

// A JPEG ("jpeg") or PNG ("png") of a colour gradient, `width` x `height`;
// PNGs get an alpha channel. Empty on failure.
std::string Picture(int width, int height, const char* type);

struct Recipe {
    const char* format = nullptr;  // FFmpeg muxer: "mp3", "flac", "mp4", "mpegts", "vob"
    double seconds = 2.0;
    // Audio: a sine tone, unless `audio_encoder` is null.
    const char* audio_encoder = nullptr;  // "libmp3lame", "flac", "aac", "mp2"
    int sample_rate = 44100;
    int channels = 2;
    int64_t audio_bit_rate = 0;  // bit/s; 0 for the encoder's default
    // Video: moving colour bars, unless `video_encoder` is null.
    const char* video_encoder = nullptr;     // "libx264", "mpeg2video"
    const char* video_profile = "baseline";  // libx264's
    int width = 320, height = 240, fps = 15;
    int64_t video_bit_rate = 200000;
    std::map<std::string, std::string> tags;  // container tags, FFmpeg's keys
    std::string cover_jpeg;                   // an attached picture, when not empty
};

// Whether this FFmpeg has the encoder.
bool HasEncoder(const char* name);
// Writes the file; "" on success, else what failed.
std::string WriteMedia(const std::string& path, const Recipe& recipe);

}  // namespace fixtures
