#include "SyntheticMedia.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

void Syncsafe(std::string& out, uint32_t value) {
    for (int shift = 21; shift >= 0; shift -= 7) out += static_cast<char>((value >> shift) & 0x7f);
}

void Frame(std::string& out, const char* id, const std::string& text) {
    out += id;
    const uint32_t size = static_cast<uint32_t>(text.size() + 1);
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((size >> shift) & 0xff);
    out += '\0';
    out += '\0';
    out += '\0';  // ISO-8859-1
    out += text;
}

std::string Mp3(int number) {
    std::string frames;
    Frame(frames, "TIT2", "Track " + std::to_string(number));
    Frame(frames, "TPE1", "Artist " + std::to_string(number % 50));
    Frame(frames, "TALB", "Album " + std::to_string(number % 200));
    std::string out = "ID3";
    out += '\3';
    out += '\0';
    out += '\0';
    Syncsafe(out, static_cast<uint32_t>(frames.size()));
    out += frames;
    // 128 kbit/s, 44.1 kHz, stereo: 417-byte frames of silence.
    for (int i = 0; i < 8; ++i) {
        std::string frame(417, '\0');
        frame[0] = '\xff';
        frame[1] = '\xfb';
        frame[2] = '\x90';
        frame[3] = '\x00';
        out += frame;
    }
    return out;
}

}  // namespace

void MakeMp3Folder(const std::string& folder, int count) {
    std::filesystem::create_directories(folder);
    char name[32];
    for (int i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "/track%05d.mp3", i);
        std::ofstream(folder + name, std::ios::binary) << Mp3(i);
    }
}

void MakeLargeFile(const std::string& path, uint64_t size) {
    std::vector<char> block(1 << 20);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>((i * 2654435761u) >> 24);
    std::ofstream out(path, std::ios::binary);
    for (uint64_t written = 0; written < size; written += block.size())
        out.write(block.data(),
                  static_cast<std::streamsize>(std::min<uint64_t>(block.size(), size - written)));
}
