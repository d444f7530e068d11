#include "sim/LineBuilder.h"

#include <array>
#include <charconv>
#include <cstring>

namespace velmar::sim {

void LineBuilder::Line(std::string& out, const CommandMessage& message) const {
    std::array<char, kLinkWriteBufferSize> buffer;
    out.append(buffer.data(), codec_.Write(message, buffer, Side::Reply));
}

void LineBuilder::Begin(std::string& out, const CommandMessage& message) const {
    const std::size_t before = out.size();
    Line(out, message);
    if (out.size() > before && out.back() == '\r')
        out.pop_back();
}

void LineBuilder::Value(std::string& out, const CommandMessage& record, const ArgField& field) {
    out += ',';
    switch (field.type) {
        case ArgType::Int:
        case ArgType::Uint: {
            char digits[16];
            const auto end = field.type == ArgType::Int
                                 ? std::to_chars(digits, std::end(digits), record.Int(field.offset)).ptr
                                 : std::to_chars(digits, std::end(digits), record.Uint(field.offset)).ptr;
            out.append(digits, end);
            break;
        }
        case ArgType::Text:
            out += '\'';
            out += record.Text(field.offset, field.size);
            out += '\'';
            break;
        case ArgType::Raw: {
            const char* begin = reinterpret_cast<const char*>(record.Bytes() + field.offset);
            const void* zero = std::memchr(begin, 0, field.size);
            out.append(begin,
                       zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - begin) : field.size);
            break;
        }
        case ArgType::Fixed:
        case ArgType::Skip:
            out += '0';
            break;
    }
}

}  // namespace velmar::sim
