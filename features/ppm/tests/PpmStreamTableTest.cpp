#include <gtest/gtest.h>

#include <algorithm>

#include "features/ppm/core/PpmStreamTable.h"

namespace velmar {
namespace {

TEST(PpmStreams, ThirtyTwoStreamsAndAllTheirChannelsAreHeldAndNoMore) {
    PpmStreamTable table;
    EXPECT_FALSE(table.Apply({4, 8, 50, 0, 10100, "", true})) << "no address: nothing stored";
    EXPECT_EQ(table.Ignored(), 0u);
    // A frame that reports streams without end once took 142 MB and 16 s of CPU for 100,000.
    for (std::uint32_t id = 1; id <= 100000; ++id)
        table.Apply({id, 255, 50, 0, 10100, "10.0.0.152", std::nullopt});
    EXPECT_EQ(table.Streams().size(), 32u);
    EXPECT_EQ(table.Ignored(), 100000u - 32u);
    EXPECT_EQ(table.Find(33), nullptr);
    EXPECT_TRUE(table.Apply({32, 16, 100, 1, 10200, "10.0.0.153", true})) << "a held stream still changes";
    EXPECT_EQ(table.Find(32)->channels, 16);
    EXPECT_TRUE(table.Full());
    EXPECT_TRUE(table.Assign({32, 255, 2058}));
    EXPECT_TRUE(table.Assign({32, 65, 7}));
    EXPECT_FALSE(table.Assign({32, 256, 1}));
    EXPECT_FALSE(table.Assign({99, 1, 1}));
    table.Apply({32, 255, 100, 1, 10200, "10.0.0.153", true});
    const std::string text = table.Find(32)->AssignmentText();
    EXPECT_EQ(text.substr(text.size() - 5), ",2058");
    EXPECT_EQ(std::count(text.begin(), text.end(), ','), 254);
    EXPECT_TRUE(table.Remove(32));
    EXPECT_EQ(table.Find(32), nullptr);
    EXPECT_TRUE(table.Apply({40, 8, 50, 0, 10100, "10.0.0.152", true})) << "room again after a removal";
    table.Clear();
    EXPECT_EQ(table.Ignored(), 0u);
}

TEST(PpmStreams, AssignmentsAndNextValues) {
    const auto four = PpmAssignments(8, 65, 4, false);
    ASSERT_EQ(four.size(), 4u);
    EXPECT_EQ(four.front().frameChannel, 65);
    EXPECT_EQ(four.back().streamChannel, 4);
    EXPECT_EQ(four.back().frameChannel, 68);
    EXPECT_EQ(PpmAssignments(3, 9, 0, false).size(), 3u) << "an unknown stream takes the count";
    EXPECT_EQ(PpmAssignments(300, 1, 0, false).size(), 255u);
    for (const auto& a : PpmAssignments(2, 9, 8, true))
        EXPECT_EQ(a.frameChannel, 0);

    PpmNextStream next;
    next.id = 65534;
    next.port = 65535;
    next.Advance();
    next.Advance();
    EXPECT_EQ(next.id, 65535u);
    EXPECT_EQ(next.port, 65535);
}

}  // namespace
}  // namespace velmar
