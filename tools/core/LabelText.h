#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velmar {

// A label is 16 bytes of 8-bit frame text; the operator types UTF-8.
inline constexpr std::size_t kLabelBytes = 16;

// The one place where frame texts of the channel tools meet UTF-8: every byte is one character
// (Latin-1) until the console has its shared frame-text encoding.
std::string FrameTextToUtf8(std::string_view bytes);
// The frame's bytes for a UTF-8 text, or nothing when a character has no byte.
std::optional<std::string> FrameTextFromUtf8(std::string_view utf8);

// Why a typed label cannot go to the frame, as a sentence for the operator, or nothing.
std::optional<std::string> LabelProblem(std::string_view utf8);

}  // namespace velmar
