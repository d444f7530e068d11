#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/TextEncoding.h"

namespace velmar {

// A label is 16 bytes of 8-bit frame text; the operator types UTF-8.
inline constexpr std::size_t kLabelBytes = 16;

// The frame's bytes for a typed label, or why it cannot go to the frame (a sentence for the
// operator): labels take the frame-text rule of every other frame text.
FrameTextEncoding EncodeLabel(std::string_view utf8);

// Why a typed label cannot go to the frame, or nothing.
std::optional<std::string> LabelProblem(std::string_view utf8);

}  // namespace velmar
