#pragma once

#include <string>
#include <string_view>

#include "protocol/MessageCodec.h"

namespace velmar::test {

// Lines in tests read as they do on the wire, with [CR] standing for the carriage return.
inline std::string Wire(std::string_view text) {
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.substr(i, 4) == "[CR]") {
            line += '\r';
            i += 3;
        } else {
            line += text[i];
        }
    }
    return line;
}

inline std::string Shown(std::string_view line) {
    std::string text;
    for (const char c : line)
        text += c == '\r' ? std::string("[CR]") : std::string(1, c);
    return text;
}

inline std::string WriteLine(const MessageCodec& codec, const CommandMessage& message,
                             Side side = Side::Request, std::size_t capacity = kLinkWriteBufferSize) {
    std::string out(capacity, '\xAA');
    out.resize(codec.Write(message, out, side));
    return Shown(out);
}

// Reads exactly one line; the text is copied because the codec works in place.
inline CommandMessage ReadLine(MessageCodec& codec, std::string_view text, Side side = Side::Reply) {
    std::string bytes = Wire(text);
    CommandMessage message;
    codec.Read(bytes, message, side);
    return message;
}

inline CommandMessage Request(CommandCode code) {
    CommandMessage message;
    message.code = ToCode(code);
    message.flags = MessageFlags::kRequest;
    return message;
}

inline CommandMessage Reply(CommandCode code, std::int32_t status = 0) {
    CommandMessage message;
    message.code = ToCode(code);
    message.flags = MessageFlags::kReply;
    message.status = status;
    return message;
}

}  // namespace velmar::test
