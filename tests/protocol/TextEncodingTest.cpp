#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "protocol/TextEncoding.h"

namespace velmar {
namespace {

// An independent check of well-formed UTF-8 (lead byte, continuation count, no overlong form, no
// surrogate, nothing past U+10FFFF).
bool IsValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80    ? 1
                                   : lead >= 0xF0 ? 4
                                   : lead >= 0xE0 ? 3
                                   : lead >= 0xC2 ? 2
                                                  : 0;
        if (length == 0 || lead > 0xF4 || i + length > text.size())
            return false;
        std::uint32_t value = length == 1 ? lead : lead & (0x7Fu >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            value = (value << 6) | (next & 0x3Fu);
        }
        if ((length == 3 && value < 0x800) || (length == 4 && value < 0x10000) || value > 0x10FFFF ||
            (value >= 0xD800 && value <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

TEST(TextEncoding, EveryByteRoundTripsThroughUtf8) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    const std::string utf8 = DecodeFrameText(all);
    const FrameTextEncoding back = EncodeFrameText(utf8);
    ASSERT_TRUE(back.Ok()) << back.error;
    EXPECT_EQ(back.bytes, all);

    for (int b = 1; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(EncodeFrameText(DecodeFrameText(one)).bytes, one) << "byte " << b;
    }
}

TEST(TextEncoding, DecodesAsWindows1252) {
    EXPECT_EQ(DecodeFrameText("Caf\xe9 \x80 \x99 \x9f"), "Café € ™ Ÿ");
    // The five bytes 1252 leaves undefined stand for their C1 controls.
    EXPECT_EQ(DecodeFrameText("\x81\x8d\x8f\x90\x9d"), "\u0081\u008d\u008f\u0090\u009d");
    EXPECT_EQ(DecodeFrameText("Studio A"), "Studio A");
}

TEST(TextEncoding, RefusesWhatAFrameCannotHold) {
    EXPECT_EQ(EncodeFrameText("Café €").bytes, "Caf\xe9 \x80");
    for (const std::string_view refused : {"中央", "Studio \u0100", "A\u0080B", "x\U0001F600"}) {
        const FrameTextEncoding result = EncodeFrameText(refused);
        EXPECT_FALSE(result.Ok()) << refused;
        EXPECT_EQ(result.bytes, "") << "never a part of the text";
    }
    EXPECT_NE(EncodeFrameText("Studio \u0100").error.find("U+0100"), std::string::npos);
    EXPECT_FALSE(EncodeFrameText(std::string_view("A\0B", 3)).Ok()) << "a NUL would end the text";
    // Bytes that are not UTF-8: a stray continuation, a cut sequence, an overlong slash, a
    // surrogate, a value past U+10FFFF.
    for (const std::string_view bad : {"\x80", "\xc3", "\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80"}) {
        EXPECT_EQ(EncodeFrameText(bad).error, "the text is not valid UTF-8") << bad;
    }
}

TEST(TextEncoding, TerminalAndJsonFormsCarryNoControls) {
    const std::string hostile = DecodeFrameText("Caf\xe9\x1b[31m\x07\x9b\x7f\r\n\\\"");
    EXPECT_EQ(TerminalSafe(hostile), "Café\\x1b[31m\\x07›\\x7f\\x0d\\x0a\\\"");
    EXPECT_EQ(JsonQuoted(hostile), "\"Café\\u001b[31m\\u0007›\\u007f\\u000d\\u000a\\\\\\\"\"");
    // C1 controls, as the undefined bytes decode, are controls to a terminal too.
    EXPECT_EQ(FrameTextForTerminal("a\x81z"), "a\\x81z");
    EXPECT_EQ(FrameTextForJson("a\x9dz"), "\"a\\u009dz\"");
    // Text that is not UTF-8 is escaped, never passed on.
    EXPECT_EQ(TerminalSafe("A\xe9\xff"), "A\\xe9\\xff");
    EXPECT_EQ(JsonQuoted("A\xe9"), "\"A\xef\xbf\xbd\"");

    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    for (const std::string& shown :
         {FrameTextForTerminal(all), FrameTextForJson(all), TerminalSafe(all), JsonQuoted(all)}) {
        EXPECT_TRUE(IsValidUtf8(shown));
        for (const char c : shown) {
            const auto byte = static_cast<unsigned char>(c);
            EXPECT_TRUE(byte >= 0x20 && byte != 0x7F) << "control byte " << int{byte};
        }
        EXPECT_EQ(shown.find("\xc2\x9b"), std::string::npos) << "no C1 control in UTF-8 form either";
    }
}

}  // namespace
}  // namespace velmar
