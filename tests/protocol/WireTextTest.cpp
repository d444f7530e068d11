#include <gtest/gtest.h>

#include "protocol/WireText.h"

namespace velmar {
namespace {

using namespace std::string_view_literals;

TEST(WireText, RefusesWhatWouldCutOrRestartTheLineAndWhatOverrunsTheField) {
    for (const char c : ":&?%!"sv) {
        EXPECT_EQ(WireTextProblem(std::string("Mic") + c + "1", 17, "A label"),
                  std::string("A label may not contain the character '") + c + "'.");
    }
    for (const std::string_view control : {"a\rb"sv, "a\nb"sv, "a\tb"sv, "a\0b"sv, "a\x7f"sv}) {
        EXPECT_EQ(WireTextProblem(control, 17),
                  "A text may not contain line breaks, tabs or other control characters.");
    }
    // The field keeps a byte for its terminating zero.
    EXPECT_EQ(WireTextProblem(std::string(16, 'x'), 17), std::nullopt);
    EXPECT_EQ(WireTextProblem(std::string(17, 'x'), 17, "A label"), "A label is longer than 16 characters.");
    EXPECT_EQ(WireTextProblem("", 17), std::nullopt);
    EXPECT_EQ(WireTextProblem("Gtr amp (L) #2 \"x\"", 32), std::nullopt);
}

}  // namespace
}  // namespace velmar
