#pragma once
// Media files made by the benchmark itself, so both servers scan the same
// bytes: small MP3s that real scanners accept, and one large file.
#include <cstdint>
#include <string>

// `count` MP3 files (ID3v2 tag with title, artist and album, then a few
// MPEG-1 layer III frames), named track00000.mp3 and up.
void MakeMp3Folder(const std::string& folder, int count);

// A file of `size` bytes of a fixed non-zero pattern (not sparse).
void MakeLargeFile(const std::string& path, uint64_t size);
