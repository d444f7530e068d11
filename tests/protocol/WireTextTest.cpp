#include <gtest/gtest.h>

#include "protocol/WireText.h"

namespace velmar {
namespace {

TEST(WireText, EveryCharacterThatWouldCutOrRestartTheLineIsNamed) {
    for (const char c : std::string_view(":&?%!")) {
        const std::string text = std::string("Mic") + c + "1";
        EXPECT_EQ(WireTextProblem(text, 17, "A label"),
                  std::string("A label may not contain the character '") + c + "'.");
    }
    EXPECT_EQ(WireTextProblem("a,b", 17, "A name"), "A name may not contain a comma.");
    EXPECT_EQ(WireTextProblem("O'Neil", 17, "A name"), "A name may not contain a single quote.");
    using namespace std::string_view_literals;
    for (const std::string_view control : {"a\rb"sv, "a\nb"sv, "a\tb"sv, "a\0b"sv, "a\x7f"sv}) {
        EXPECT_EQ(WireTextProblem(control, 17),
                  "A text may not contain line breaks, tabs or other control characters.");
    }
}

TEST(WireText, LengthLeavesRoomForTheTerminatingZero) {
    EXPECT_EQ(WireTextProblem("", 17), std::nullopt);
    EXPECT_EQ(WireTextProblem(std::string(16, 'x'), 17), std::nullopt);
    EXPECT_EQ(WireTextProblem(std::string(17, 'x'), 17, "A label"), "A label is longer than 16 characters.");
    EXPECT_EQ(WireTextProblem("255.255.255.255", 16), std::nullopt);
    EXPECT_EQ(WireTextProblem("Studio A - Rack 3 / Dante primary", 32, "A name"),
              "A name is longer than 31 characters.");
    // Blanks and other printable characters travel as they are.
    EXPECT_EQ(WireTextProblem("Gtr amp (L) #2 \"x\"", 32), std::nullopt);
}

}  // namespace
}  // namespace velmar
