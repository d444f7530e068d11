#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "device/FrameText.h"

namespace velmar {

// A label is 16 bytes of 8-bit frame text; the operator types UTF-8.
inline constexpr std::size_t kLabelBytes = 16;

// Why a typed label cannot go to the frame, as a sentence for the operator, or nothing.
std::optional<std::string> LabelProblem(std::string_view utf8);

}  // namespace velmar
