#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmar {

// Pads to `width` characters as a terminal shows them: UTF-8 continuation bytes take no column.
inline std::string Padded(std::string text, std::size_t width) {
    const auto columns = static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
    if (columns < width)
        text.append(width - columns, ' ');
    return text;
}

// The channel tools' direction word: 0 for "in", 1 for "out".
inline std::optional<std::int32_t> ParseDirection(std::string_view text) {
    if (text == "in")
        return 0;
    if (text == "out")
        return 1;
    return std::nullopt;
}

}  // namespace velmar
