#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmar {

// The one place where the frame's 8-bit texts (labels, as the channel tools and the routing views
// show them) meet UTF-8: every byte is one character (Latin-1) until the console has its shared
// frame-text encoding.
std::string FrameTextToUtf8(std::string_view bytes);
// The frame's bytes for a UTF-8 text, or nothing when a character has no byte.
std::optional<std::string> FrameTextFromUtf8(std::string_view utf8);

}  // namespace velmar
