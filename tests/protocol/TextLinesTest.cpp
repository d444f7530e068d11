#include "protocol/TextLines.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace velmar {
namespace {

struct Cut {
    std::vector<std::string> lines;
    std::string notText;
};

// The same text read from memory and from a stream must cut the same way.
Cut Lines(const std::string& text, std::size_t longest = TextLines::kAnyLength) {
    Cut fromText;
    TextLines memory(std::string_view{text}, longest);
    while (const auto line = memory.Next())
        fromText.lines.emplace_back(line->text);
    fromText.notText = memory.NotText();

    std::istringstream stream(text);
    TextLines streamed(stream, longest);
    std::vector<std::string> fromStream;
    while (const auto line = streamed.Next())
        fromStream.emplace_back(line->text);
    EXPECT_EQ(fromStream, fromText.lines) << text;
    EXPECT_EQ(streamed.NotText(), fromText.notText);
    return fromText;
}

using Texts = std::vector<std::string>;

TEST(TextLines, EveryLineEndInAnyMixAndALastLineWithoutOne) {
    EXPECT_EQ(Lines("a\r\nb\nc\rd").lines, (Texts{"a", "b", "c", "d"}));
    EXPECT_EQ(Lines("a\n\nb\r\rc\r\n\r\n").lines, (Texts{"a", "", "b", "", "c", ""}));
    EXPECT_EQ(Lines("a\n\r").lines, (Texts{"a", ""})) << "LF then CR is two line ends";
    EXPECT_EQ(Lines("").lines, Texts{});
    EXPECT_EQ(Lines("\n").lines, Texts{""});
    EXPECT_EQ(Lines("x").lines, Texts{"x"});
}

TEST(TextLines, AUtf8MarkIsDroppedAndUtf16IsNotCut) {
    EXPECT_EQ(Lines("\xEF\xBB\xBF"
                    "a\r\nb")
                  .lines,
              (Texts{"a", "b"}));
    EXPECT_EQ(Lines("\xEF\xBB\xBF").lines, Texts{});
    EXPECT_EQ(Lines("\xEF\xBB").lines, Texts{"\xEF\xBB"}) << "half a mark is text";
    EXPECT_EQ(Lines("a\xEF\xBB\xBF").lines, Texts{"a\xEF\xBB\xBF"}) << "only at the start";
    for (const std::string& text : {std::string("\xFF\xFE"
                                                "a\0b\0",
                                                6),
                                    std::string("\xFE\xFF\0a", 4)}) {
        const Cut cut = Lines(text);
        EXPECT_TRUE(cut.lines.empty());
        EXPECT_NE(cut.notText.find("UTF-16"), std::string::npos);
    }
    EXPECT_TRUE(Lines("a\nb").notText.empty());
}

TEST(TextLines, NumbersLinesAndMarksControlBytesAndCutLines) {
    const std::string text = std::string("ok\n\x01\x1B\tx\n", 8) + std::string(10, 'y') + "\x02z\r\nlast";
    TextLines lines(std::string_view{text}, 5);
    auto line = lines.Next();
    ASSERT_TRUE(line);
    EXPECT_EQ(line->number, 1u);
    EXPECT_FALSE(line->HasControlBesides());
    line = lines.Next();
    ASSERT_TRUE(line);
    EXPECT_EQ(line->number, 2u);
    EXPECT_TRUE(line->HasControlBesides("\t\x01"));
    EXPECT_FALSE(line->HasControlBesides("\t\x01\x1B"));
    line = lines.Next();
    ASSERT_TRUE(line);
    EXPECT_EQ(line->number, 3u);
    EXPECT_TRUE(line->cut);
    EXPECT_EQ(line->text, "yyyyy");
    EXPECT_TRUE(line->HasControlBesides()) << "a control byte in the part not held still counts";
    line = lines.Next();
    ASSERT_TRUE(line);
    EXPECT_EQ(line->number, 4u);
    EXPECT_FALSE(line->cut);
    EXPECT_EQ(line->text, "last");
    EXPECT_FALSE(lines.Next());
    EXPECT_FALSE(lines.Next());
}

}  // namespace
}  // namespace velmar
