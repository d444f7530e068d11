#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "app/ConsoleArguments.h"

namespace velmar {
namespace {

using Words = std::vector<std::string_view>;

// --connect is taken out before the option-word rule sees the rest, so a shortcut per frame keeps
// the option word's meaning; an address-less --connect is refused rather than ignored.
TEST(ConsoleArguments, ConnectSitsBesideTheOptionWord) {
    const ConsoleArguments both = ParseConsoleArguments(Words{"xy", "--connect", "*127.0.0.5"});
    EXPECT_EQ(both.connect, "*127.0.0.5");
    EXPECT_TRUE(both.options.xy);
    EXPECT_FALSE(both.options.telnet);

    const ConsoleArguments twoWords = ParseConsoleArguments(Words{"--connect", "127.0.0.2", "xy", "zel"});
    EXPECT_EQ(twoWords.connect, "127.0.0.2");
    EXPECT_FALSE(twoWords.options.xy || twoWords.options.zel) << "two words still switch nothing";

    EXPECT_FALSE(ParseConsoleArguments(Words{"--connect"}).error.empty());
    EXPECT_FALSE(ParseConsoleArguments(Words{"--connect", ""}).error.empty());
    EXPECT_TRUE(ParseConsoleArguments(Words{"telnet", "--help"}).help);
}

}  // namespace
}  // namespace velmar
