#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "app/OptionWord.h"

namespace velmar {
namespace {

bool Same(const ConsoleOptions& a, const ConsoleOptions& b) {
    return a.telnet == b.telnet && a.xy == b.xy && a.zel == b.zel;
}

TEST(OptionWord, OneExactWordSwitchesItsOptions) {
    EXPECT_TRUE(Same(OptionsFromWord("telnet"), {true, true, true}));
    EXPECT_TRUE(Same(OptionsFromWord("xy"), {false, true, false}));
    EXPECT_TRUE(Same(OptionsFromWord("zel"), {false, false, true}));
    for (std::string_view other : {"", "Telnet", "XY", "zel ", " xy", "telnet xy", "-telnet", "xyz"}) {
        EXPECT_TRUE(Same(OptionsFromWord(other), {})) << other;
    }
}

TEST(OptionWord, MoreThanOneWordSwitchesNothing) {
    using Arguments = std::vector<std::string_view>;
    EXPECT_TRUE(Same(OptionsFromArguments(Arguments{}), {}));
    EXPECT_TRUE(Same(OptionsFromArguments(Arguments{"telnet"}), {true, true, true}));
    EXPECT_TRUE(Same(OptionsFromArguments(Arguments{"telnet", "xy"}), {}));
    EXPECT_TRUE(Same(OptionsFromArguments(Arguments{"xy", "xy"}), {}));
}

}  // namespace
}  // namespace velmar
