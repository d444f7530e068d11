#include "protocol/WireText.h"

namespace velmar {

namespace {

// The characters that begin a line: the frame would start reading there.
constexpr std::string_view kLineStarts = ":&?%!";

std::string Quoted(char c) {
    return std::string("the character '") + c + "'";
}

}  // namespace

std::optional<std::string> WireTextProblem(std::string_view text, std::size_t fieldSize,
                                           std::string_view what) {
    const std::string subject(what);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == ',')
            return subject + " may not contain a comma.";
        if (c == '\'')
            return subject + " may not contain a single quote.";
        if (kLineStarts.find(c) != std::string_view::npos)
            return subject + " may not contain " + Quoted(c) + ".";
        if (byte < 0x20 || byte == 0x7F)
            return subject + " may not contain line breaks, tabs or other control characters.";
    }
    // The field keeps one byte for its terminating zero.
    const std::size_t limit = fieldSize == 0 ? 0 : fieldSize - 1;
    if (text.size() > limit)
        return subject + " is longer than " + std::to_string(limit) + " characters.";
    return std::nullopt;
}

}  // namespace velmar
