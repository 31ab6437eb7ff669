#pragma once
// Silence as a WAV file (8 kHz, 16-bit mono): a file every player decodes,
// and one whose length a test chooses.
#include <cstdint>
#include <string>

inline std::string SilentWav(uint32_t seconds) {
    const uint32_t data = 16000 * seconds;
    std::string out = "RIFF";
    auto u32 = [&](uint32_t v) { out.append(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { out.append(reinterpret_cast<const char*>(&v), 2); };
    u32(36 + data);
    out += "WAVEfmt ";
    u32(16), u16(1), u16(1), u32(8000), u32(16000), u16(2), u16(16);
    out += "data";
    u32(data);
    out.append(data, '\0');
    return out;
}
