#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velmar {

// Why `text` cannot travel in a text field of `fieldSize` bytes, as a sentence for the user, or
// nothing when it can. The codec writes texts between single quotes without escaping, so a
// comma or quote would cut the field and a start character would begin a new line on the frame.
// `what` names the text in the message, with its article: "A name", "A label", "An address".
std::optional<std::string> WireTextProblem(std::string_view text, std::size_t fieldSize,
                                           std::string_view what = "A text");

}  // namespace velmar
