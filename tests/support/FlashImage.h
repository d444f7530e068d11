#pragma once

#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

namespace velmar::test {

// A flash file of `records` S1 records with 16 data bytes each and correct checksums, lines
// ended by `lineEnd`.
inline std::string FlashImageText(std::size_t records, std::string_view lineEnd = "\n") {
    std::string text;
    char line[64];
    for (std::size_t n = 0; n < records; ++n) {
        const unsigned address = static_cast<unsigned>(n * 16) & 0xFFFF;
        unsigned sum = 0x13 + (address >> 8) + (address & 0xFF);
        int at = std::snprintf(line, sizeof line, "S113%04X", address);
        for (unsigned i = 0; i < 16; ++i) {
            const unsigned byte = static_cast<unsigned>(n + i) & 0xFF;
            sum += byte;
            at += std::snprintf(line + at, sizeof line - static_cast<std::size_t>(at), "%02X", byte);
        }
        std::snprintf(line + at, sizeof line - static_cast<std::size_t>(at), "%02X", ~sum & 0xFF);
        text += line;
        text += lineEnd;
    }
    return text;
}

inline std::string WriteFlashImage(const std::string& path, std::size_t records,
                                   std::string_view lineEnd = "\n") {
    std::ofstream(path, std::ios::binary) << FlashImageText(records, lineEnd);
    return path;
}

}  // namespace velmar::test
