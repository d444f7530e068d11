#include "protocol/TextEncoding.h"

#include <array>
#include <cstdint>
#include <cstdio>

namespace velmar {

namespace {

// Bytes 0x80..0x9F of Windows-1252; the undefined five stand for the C1 control of their value.
constexpr std::array<char32_t, 32> kHighControls{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 0x98
};

char32_t CharacterOf(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0)
        return kHighControls[byte - 0x80u];
    return byte;
}

void AppendUtf8(std::string& out, char32_t c) {
    auto put = [&out](std::uint32_t value) { out.push_back(static_cast<char>(value)); };
    const auto v = static_cast<std::uint32_t>(c);
    if (v < 0x80) {
        put(v);
    } else if (v < 0x800) {
        put(0xC0 | (v >> 6));
        put(0x80 | (v & 0x3F));
    } else if (v < 0x10000) {
        put(0xE0 | (v >> 12));
        put(0x80 | ((v >> 6) & 0x3F));
        put(0x80 | (v & 0x3F));
    } else {
        put(0xF0 | (v >> 18));
        put(0x80 | ((v >> 12) & 0x3F));
        put(0x80 | ((v >> 6) & 0x3F));
        put(0x80 | (v & 0x3F));
    }
}

// One character of UTF-8 at the front of `text`: its value and length, or length 0 for a byte
// that does not begin a well-formed sequence (overlong forms and surrogates included).
struct Utf8Char {
    char32_t value = 0;
    std::size_t length = 0;
};

Utf8Char NextUtf8(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80)
        return {lead, 1};
    // Sequence length by the lead byte's high bits, the bits it carries, and the smallest value
    // that needs that length (anything below is an overlong form).
    struct Form {
        unsigned char mask, pattern;
        std::size_t length;
        char32_t smallest;
    };
    static constexpr std::array<Form, 3> kForms{
        {{0xE0, 0xC0, 2, 0x80}, {0xF0, 0xE0, 3, 0x800}, {0xF8, 0xF0, 4, 0x10000}}};
    const Form* form = nullptr;
    for (const Form& f : kForms) {
        if ((lead & f.mask) == f.pattern)
            form = &f;
    }
    if (form == nullptr)
        return {};
    const std::size_t length = form->length;
    char32_t value = lead & static_cast<unsigned char>(~form->mask);
    const char32_t smallest = form->smallest;
    if (text.size() < length)
        return {};
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80)
            return {};
        value = (value << 6) | (next & 0x3Fu);
    }
    if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return {};
    return {value, length};
}

bool IsControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c < 0xA0);
}

// The byte that stands for `c` in a frame text, if there is one.
bool ByteOf(char32_t c, unsigned char& byte) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        byte = static_cast<unsigned char>(c);
        return true;
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == c) {
            byte = static_cast<unsigned char>(0x80 + i);
            return true;
        }
    }
    return false;
}

// At least `digits` hex digits: the xx of \xxx for a terminal, the xxxx of \uxxxx for JSON, the
// code in "U+1F600" for a message.
std::string Hex(unsigned value, std::size_t digits, std::string_view digitSet = "0123456789abcdef") {
    std::string text;
    for (; value != 0 || text.size() < digits; value >>= 4)
        text.insert(text.begin(), digitSet[value & 0xF]);
    return text;
}

}  // namespace

std::string DecodeFrameText(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (const char b : bytes)
        AppendUtf8(out, CharacterOf(static_cast<unsigned char>(b)));
    return out;
}

FrameTextEncoding EncodeFrameText(std::string_view utf8) {
    FrameTextEncoding result;
    result.bytes.reserve(utf8.size());
    while (!utf8.empty()) {
        const Utf8Char c = NextUtf8(utf8);
        if (c.length == 0) {
            result.error = "the text is not valid UTF-8";
            break;
        }
        unsigned char byte = 0;
        if (c.value == 0 || !ByteOf(c.value, byte)) {
            result.error = "\"" + TerminalSafe(utf8.substr(0, c.length)) + "\" (U+" +
                           Hex(static_cast<unsigned>(c.value), 4, "0123456789ABCDEF") +
                           ") cannot be stored in a frame's text";
            break;
        }
        result.bytes.push_back(static_cast<char>(byte));
        utf8.remove_prefix(c.length);
    }
    if (!result.Ok())
        result.bytes.clear();
    return result;
}

std::string TerminalSafe(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    while (!utf8.empty()) {
        const Utf8Char c = NextUtf8(utf8);
        if (c.length == 0) {
            out += "\\x" + Hex(static_cast<unsigned char>(utf8[0]), 2);
            utf8.remove_prefix(1);
            continue;
        }
        if (IsControl(c.value)) {
            out += "\\x" + Hex(static_cast<unsigned>(c.value), 2);
        } else {
            out.append(utf8.substr(0, c.length));
        }
        utf8.remove_prefix(c.length);
    }
    return out;
}

std::string JsonQuoted(std::string_view utf8) {
    std::string out = "\"";
    out.reserve(utf8.size() + 2);
    while (!utf8.empty()) {
        const Utf8Char c = NextUtf8(utf8);
        if (c.length == 0) {
            AppendUtf8(out, 0xFFFD);
            utf8.remove_prefix(1);
            continue;
        }
        if (c.value == '"' || c.value == '\\') {
            out += '\\';
            out += static_cast<char>(c.value);
        } else if (IsControl(c.value)) {
            out += "\\u" + Hex(static_cast<unsigned>(c.value), 4);
        } else {
            out.append(utf8.substr(0, c.length));
        }
        utf8.remove_prefix(c.length);
    }
    return out + "\"";
}

}  // namespace velmar
