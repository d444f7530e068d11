#pragma once

#include <string>
#include <string_view>

namespace velmar {

// Frame texts (names, types, serial numbers, labels) are 8-bit. They are read and shown one way
// everywhere, as Windows-1252, and written back to the very same bytes. The five bytes that
// Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for U+0081 etc., so every
// byte has a character and every text survives the round trip.

// The frame's bytes as UTF-8.
std::string DecodeFrameText(std::string_view bytes);

// The frame's bytes for a UTF-8 text, or why it cannot be sent as it is. A character outside
// Windows-1252, a NUL (it would end the text early) or bytes that are not UTF-8 refuse the whole
// text: a frame never gets an altered one.
struct FrameTextEncoding {
    std::string bytes;
    std::string error;  // empty when the text can be sent; else a message for the operator
    bool Ok() const { return error.empty(); }
};
FrameTextEncoding EncodeFrameText(std::string_view utf8);

// A UTF-8 text made safe to write to a terminal: control characters (C0, DEL and C1) and bytes
// that are not UTF-8 are shown as \xNN, so a frame's text can never move the cursor, ring the
// bell or start an escape sequence.
std::string TerminalSafe(std::string_view utf8);

// A UTF-8 text as a JSON string literal, quotes included. Control characters are escaped as
// \u00NN and bytes that are not UTF-8 become U+FFFD, so the result is always valid UTF-8 JSON.
std::string JsonQuoted(std::string_view utf8);

// Both of the above, for a frame's bytes.
inline std::string FrameTextForTerminal(std::string_view bytes) {
    return TerminalSafe(DecodeFrameText(bytes));
}
inline std::string FrameTextForJson(std::string_view bytes) {
    return JsonQuoted(DecodeFrameText(bytes));
}

}  // namespace velmar
