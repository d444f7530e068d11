#include "features/routing/core/ChannelNames.h"

#include "features/routing/core/ChannelLabel.h"

#include <gtest/gtest.h>

#include <vector>

namespace velmar {
namespace {

TEST(ChannelNames, OneNamePerChannelAndPair) {
    EXPECT_EQ(ChannelText(1), "CARD1 01");
    EXPECT_EQ(ChannelText(512), "CARD8 64");
    EXPECT_EQ(ChannelText(513), "AES 01");
    EXPECT_EQ(ChannelText(529), "PHD1 01");
    EXPECT_EQ(ChannelText(592), "PHD2 32");
    EXPECT_EQ(ChannelText(600), "MADI 08");
    EXPECT_EQ(ChannelText(661), "SFP1 05");
    EXPECT_EQ(ChannelText(784), "SFP1 128");
    EXPECT_EQ(ChannelText(976), "IP 64");
    EXPECT_EQ(ChannelText(1000), "CHN 1000");
    EXPECT_EQ(ChannelText(1100), "CARD2 76");
    EXPECT_EQ(ChannelText(0), "CHN 00");
    EXPECT_EQ(SourceText(0), "nothing");

    EXPECT_EQ(PairText(517), "AES 05+06");
    EXPECT_EQ(PairText(597), "MADI 05+06");
    // A pair across an interface boundary names both channels whole.
    EXPECT_EQ(PairText(528), "AES 16+PHD1 01");
}

TEST(ChannelNames, ListsNameEachInterfaceOnceAndStopAtTheLimit) {
    const std::vector<std::int32_t> outputs{612, 615, 616, 513};
    EXPECT_EQ(ChannelListText(outputs), "MADI 20, 23, 24, AES 01");
    const std::vector<std::int32_t> many{513, 514, 515, 516, 517};
    EXPECT_EQ(ChannelListText(many, 3), "AES 01, 02, 03 and 2 more");
}

TEST(ChannelNames, FindMatchesNameNumberAndLooseSpelling) {
    for (const char* query : {"MADI 05", "madi5", "madi 05", "597", "MADI"})
        EXPECT_TRUE(ChannelMatches(597, query)) << query;
    EXPECT_FALSE(ChannelMatches(597, "madi 6"));
    EXPECT_FALSE(ChannelMatches(597, "  "));
    EXPECT_TRUE(ChannelMatches(1100, "card2 76"));
    EXPECT_FALSE(ChannelMatches(1100, "card2 7 6x"));
}

// Labels beside the names follow the rule of every frame text: 0x80 is the euro sign.
TEST(ChannelNames, LabelsBesideNamesAreWindows1252) {
    DeviceState state;
    state.config.inputLabels[512].Assign("\x80uro\x81");
    EXPECT_EQ(LabelledChannelName(state, RouteSide::Input, 513), "AES 01  \u20acuro\u0081");
    EXPECT_TRUE(ChannelOrLabelMatches(state, RouteSide::Input, 513, "\u20acURO"));
    EXPECT_FALSE(ChannelOrLabelMatches(state, RouteSide::Input, 513, "\u0080"));
}

}  // namespace
}  // namespace velmar
