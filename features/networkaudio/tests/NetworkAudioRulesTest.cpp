#include <gtest/gtest.h>

#include <algorithm>

#include "features/networkaudio/core/FlowTables.h"
#include "features/networkaudio/core/IpRouteTable.h"

namespace velmar {
namespace {

TEST(FlowSlotChannels, FlowsLieSideBySideAndStayWithinTheSixtyFourChannels) {
    EXPECT_EQ(FlowSlotChannels(2, 4), (std::vector<std::int32_t>{5, 6, 7, 8}));
    EXPECT_EQ(FlowSlotChannels(1, 8), (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_TRUE(FlowSlotChannels(2, 3).empty()) << "odd slot counts get no slot requests";
    EXPECT_TRUE(FlowSlotChannels(2, 0).empty());
    EXPECT_TRUE(FlowSlotChannels(1, 10).empty());
    // Flow 11 with six slots starts at channel 61: the last two wrap to 1 and 2 instead of 65, 66.
    EXPECT_EQ(FlowSlotChannels(11, 6), (std::vector<std::int32_t>{61, 62, 63, 64, 1, 2}));
    for (std::int32_t flow = 1; flow <= 32; ++flow) {
        for (std::int32_t slotCount : {2, 4, 6, 8}) {
            for (std::int32_t channel : FlowSlotChannels(flow, slotCount))
                ASSERT_TRUE(channel >= 1 && channel <= 64) << flow << " " << slotCount;
        }
    }
}

TEST(FlowTables, HoldsWhatTheFrameReportsWithinItsTables) {
    FlowTables tables;
    EXPECT_TRUE(tables.Apply({true, 3, 4, "10.0.0.9", 14530, 0}));
    EXPECT_FALSE(tables.Apply({true, 33, 4, "10.0.0.9", 14530, 0}));
    EXPECT_FALSE(tables.Apply({false, 0, 4, {}, 14530, 0}));
    // A slot for a flow that is not listed is kept; slots outside 0..7 are not.
    EXPECT_TRUE(tables.ApplySlot({false, 5, 1, 17}));
    EXPECT_FALSE(tables.ApplySlot({true, 3, 8, 1}));
    EXPECT_FALSE(tables.ApplySlot({true, 3, -1, 1}));
    tables.ApplySlot({true, 3, 0, 9});
    tables.ApplySlot({true, 3, 1, 10});
    EXPECT_EQ(tables.Find(true, 3)->ChannelsText(), "9, 10, 0, 0");
    // A report of nine slots shows the eight the table has.
    tables.Apply({true, 4, 9, "10.0.0.9", 14531, 0});
    EXPECT_EQ(tables.Find(true, 4)->ChannelsText(), "0, 0, 0, 0, 0, 0, 0, 0");
    EXPECT_EQ(tables.Ids(true), (std::vector<std::int32_t>{3, 4}));
    tables.Apply({true, 3, 0, "10.0.0.9", 14530, 0});
    EXPECT_EQ(tables.Find(true, 3), nullptr);
    EXPECT_EQ(tables.Ids(false), std::vector<std::int32_t>{}) << "a slot alone is no flow";
}

TEST(FlowChecks, RefuseLoopsBadCountsAndClashesInTheirOrder) {
    FlowTables tables;
    tables.Apply({true, 2, 2, "10.0.0.5", 14530, 0});
    tables.Apply({false, 2, 2, {}, 14530, 1000});
    const std::vector<std::string> own{"127.0.0.2", "192.168.1.20", "10.1.1.1"};
    const auto tx = [&](std::int32_t flow, std::int32_t slotCount, std::string address, std::int32_t port) {
        return CheckTxFlow(tables, {flow, slotCount, std::move(address), port}, own);
    };
    for (const char* address : {"0.0.0.0", "255.255.255.255", "127.0.0.2", "10.1.1.1", "not an address"}) {
        const auto problem = tx(3, 2, address, 14531);
        ASSERT_TRUE(problem) << address;
        EXPECT_FALSE(problem->tellOperator) << address;
    }
    EXPECT_FALSE(tx(3, 0, "10.0.0.7", 14531)->tellOperator);
    EXPECT_EQ(tx(2, 2, "10.0.0.7", 14530)->text, "ID in use") << "the ID is checked first";
    EXPECT_EQ(tx(3, 2, "10.0.0.7", 14530)->text, "Port in use");
    EXPECT_FALSE(tx(3, 2, "10.0.0.7", 14531));

    EXPECT_EQ(CheckRxFlow(tables, {3, 4, 14531, 5000}, 3000)->text,
              "Rx latency is above maximum which is 3000 us");
    EXPECT_TRUE(CheckRxFlow(tables, {3, 4, 14531, 1}, 0)) << "no maximum reported yet";
    EXPECT_FALSE(CheckRxFlow(tables, {3, 4, 14531, 0}, 0));
    EXPECT_EQ(CheckRxFlow(tables, {2, 4, 14531, 100}, 3000)->text, "ID in use");

    EXPECT_EQ(NextFree(5, 5, 32), 6);
    EXPECT_EQ(NextFree(32, 32, 32), 32);
    EXPECT_EQ(NextFree(4, 5, 32), 5);
    EXPECT_EQ(NextFree(14591, 14591, 14591), 14591);
}

TEST(IpRoutes, ReportsReplaceTheRouteOfTheirChannel) {
    IpRouteTable table;
    EXPECT_TRUE(table.Apply({7, "STUDIO-A", "05", "WALLBOX"}));
    EXPECT_EQ(table.Find(7)->source, "WALLBOX");
    for (const char* none : {"", "0", "65", "x1", "-3"}) {
        table.Apply({7, "STUDIO-A", "05", "WALLBOX"});
        table.Apply({7, "STUDIO-A", none, "WALLBOX"});
        EXPECT_EQ(table.Find(7), nullptr) << none;
    }
    EXPECT_FALSE(table.Apply({0, "A", "01", "B"}));
    EXPECT_FALSE(table.Apply({65, "A", "01", "B"}));
    EXPECT_EQ(IpRouteChannelText(7), "07");
    EXPECT_EQ(IpRouteChannelText(10), "10");
    EXPECT_EQ(IpRouteChannelText(0), "");
}

TEST(IpRoutes, TheSameDeviceIsFoundAfterTheDefaultsAndWhateverTheCase) {
    const std::string_view host = "STUDIO-A";
    EXPECT_EQ(FillIpRouteEnds("", "", host).destination, "localhost");
    EXPECT_EQ(FillIpRouteEnds("", "", host).source, "STUDIO-A");
    EXPECT_TRUE(SameIpRouteHost(FillIpRouteEnds("", "", host), host)) << "both empty: the frame to itself";
    EXPECT_TRUE(SameIpRouteHost(FillIpRouteEnds("studio-a", "", host), host));
    EXPECT_TRUE(SameIpRouteHost(FillIpRouteEnds("WallBox", "WALLBOX", host), host));
    EXPECT_TRUE(SameIpRouteHost(FillIpRouteEnds("", "LocalHost", host), host));
    EXPECT_FALSE(SameIpRouteHost(FillIpRouteEnds("", "WALLBOX", host), host));
    EXPECT_FALSE(SameIpRouteHost(FillIpRouteEnds("WALLBOX", "", host), host));
}

}  // namespace
}  // namespace velmar
