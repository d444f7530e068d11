#include <gtest/gtest.h>

#include <sstream>

#include "device/DeviceModel.h"
#include "features/routing/core/ChannelCatalog.h"
#include "features/routing/core/CrosspointList.h"
#include "features/routing/core/RoutingActions.h"

namespace velmar {
namespace {

using Crosspoints = std::vector<Crosspoint>;

void Route(CrosspointTable& live, std::int32_t output, std::int32_t input) {
    live[static_cast<std::size_t>(output - 1)] = input;
}

void Fit(DeviceState& state, std::int32_t position) {
    state.config.hwConf[static_cast<std::size_t>(position - 1)].boardType = 1;
}

TEST(RoutingActions, PairsInputsWithOutputsInListOrder) {
    const RoutingActions stereo(1536, true);
    const std::int32_t aesPair3[] = {517};
    const std::int32_t madiPair5[] = {601};
    EXPECT_EQ(stereo.Connect(aesPair3, madiPair5), (Crosspoints{{601, 517}, {602, 518}}));

    const RoutingActions mono(1536, false);
    const std::int32_t threeInputs[] = {1, 2, 3};
    const std::int32_t twoOutputs[] = {10, 20};
    EXPECT_EQ(mono.Connect(threeInputs, twoOutputs), (Crosspoints{{10, 1}, {20, 2}}));
    const std::int32_t oneInput[] = {7};
    const std::int32_t fiveOutputs[] = {1, 2, 3, 1537, 5};
    EXPECT_EQ(mono.Connect(oneInput, fiveOutputs), (Crosspoints{{1, 7}, {2, 7}, {3, 7}, {5, 7}}))
        << "an output beyond the frame is skipped silently";

    const std::int32_t pairOutputs[] = {1535, 2000};
    EXPECT_EQ(stereo.Disconnect(pairOutputs), (Crosspoints{{1535, 0}, {1536, 0}}));
    const std::int32_t rows[] = {4, 9, 2};
    EXPECT_EQ(mono.DisconnectRows(rows), (Crosspoints{{2, 0}, {9, 0}, {4, 0}}));
}

TEST(CrosspointList, SingleChangesMoveRowsAndRebuildsFollowTheOrder) {
    DeviceState state;
    CrosspointTable live{};
    Route(live, 5, 7);
    Route(live, 2, 9);
    Route(live, 1100, 3);
    Route(live, 10, 4);
    CrosspointList list;
    list.Refresh(CrosspointList::kRebuild, CrosspointList::kOutputColumn, live, 1536);
    EXPECT_EQ(list.Rows(), (std::vector<std::int32_t>{2, 5, 10, 1100}));

    list.Refresh(CrosspointList::kRebuild, CrosspointList::kInputColumn, live, 1536);
    EXPECT_EQ(list.Rows(), (std::vector<std::int32_t>{1100, 10, 5, 2})) << "input order";
    list.Refresh(CrosspointList::kRebuild, CrosspointList::kInputColumn, live, 1536);
    EXPECT_EQ(list.Rows(), (std::vector<std::int32_t>{2, 5, 10, 1100}))
        << "a second click returns to output order";

    Route(live, 2, 0);
    list.Refresh(2, CrosspointList::kOutputColumn, live, 1536);
    Route(live, 5, 8);
    list.Refresh(5, CrosspointList::kOutputColumn, live, 1536);
    EXPECT_EQ(list.Rows(), (std::vector<std::int32_t>{10, 1100, 5})) << "a changed row moves to the end";

    // On card 2's filter, output 1100 (the card's second half) is in view and output 10 is not.
    list.AdvanceFilter(state, CapabilitiesOf(state, ModelClass::Full));  // no card is fitted: straight to AES
    EXPECT_EQ(list.FilterText(), "AES");
    for (std::int32_t p = 9; p <= 16; ++p)
        Fit(state, p);
    CrosspointList cards;
    cards.AdvanceFilter(state, CapabilitiesOf(state, ModelClass::Full));
    cards.AdvanceFilter(state, CapabilitiesOf(state, ModelClass::Full));
    EXPECT_EQ(cards.FilterText(), "CARD2");
    cards.Refresh(CrosspointList::kRebuild, CrosspointList::kOutputColumn, live, 1536);
    EXPECT_EQ(cards.Rows(), (std::vector<std::int32_t>{1100}));
    Route(live, 10, 0);
    cards.Refresh(10, CrosspointList::kOutputColumn, live, 1536);
    Route(live, 1100, 0);
    cards.Refresh(1100, CrosspointList::kOutputColumn, live, 1536);
    EXPECT_TRUE(cards.Rows().empty());
}

TEST(CrosspointList, FilterStepsSkipWhatTheFrameLacks) {
    DeviceState state;
    CrosspointList compact;
    compact.AdvanceFilter(state, CapabilitiesOf(state, ModelClass::NoCards));
    EXPECT_EQ(compact.FilterText(), "AES") << "model class 1 goes from ALL straight to AES";

    state.config.optMode[0].mode = 1;
    state.config.optMode[1].mode = 1;
    state.config.redundancyEnable = 1;
    Fit(state, 12);  // card 4 only
    CrosspointList list;
    std::vector<std::string> steps;
    for (int i = 0; i < 9; ++i) {
        list.AdvanceFilter(state, CapabilitiesOf(state, ModelClass::Full));
        steps.push_back(list.FilterText());
    }
    EXPECT_EQ(steps,
              (std::vector<std::string>{"CARD4", "AES", "PHD", "MADI", "SFP1", "IP", "ALL", "CARD4", "AES"}));
    EXPECT_FALSE(list.AdvanceFilter(state, CapabilitiesOf(state, ModelClass::NoMatrix)));
}

TEST(ChannelCatalog, SelectorsAndListsFollowTheFramesModules) {
    DeviceState state;
    Fit(state, 3);
    Fit(state, 18);
    state.config.optMode[0].mode = 1;
    state.config.optMode[1].mode = 2;
    state.config.cards[0].kind = CardType::Ad;
    state.config.cards[1].kind = CardType::Da;
    state.config.cards[2].kind = CardType::MadiHotlink;
    state.config.cards[2].mode = 1;                      // MADI without redundancy: 128 channels
    state.config.cards[3].kind = CardType::MadiHotlink;  // mode 0: not offered

    auto texts = [](const std::vector<TypeEntry>& types) {
        std::vector<std::string> t;
        for (const TypeEntry& e : types)
            t.push_back(e.text);
        return t;
    };
    const ChannelCatalog catalog(state, CapabilitiesOf(state, ModelClass::Full), nullptr);
    EXPECT_EQ(texts(catalog.Types(RouteSide::Input)),
              (std::vector<std::string>{"AES", "PHD", "MADI", "SFP 1", "SFP 2", "IP", "CARD 1 - AD",
                                        "CARD 3 - MADI"}));
    EXPECT_EQ(texts(catalog.Types(RouteSide::Output)),
              (std::vector<std::string>{"AES", "PHD", "MADI", "SFP 1", "SFP 2", "IP", "CARD 2 - DA",
                                        "CARD 3 - MADI"}));
    state.config.redundancyEnable = 1;
    EXPECT_EQ(texts(catalog.Types(RouteSide::Input)).size(), 7u) << "redundancy hides SFP 2";
    EXPECT_TRUE(ChannelCatalog(state, CapabilitiesOf(state, ModelClass::NoMatrix), nullptr)
                    .Types(RouteSide::Input)
                    .empty());

    // The coax MADI output in its 56-channel mode.
    EXPECT_EQ(catalog.Channels(RouteSide::Output, RouteType::kMadi, false).size(), 56u);
    EXPECT_EQ(catalog.Channels(RouteSide::Output, RouteType::kMadi, true).size(), 28u);
    EXPECT_EQ(catalog.Channels(RouteSide::Input, RouteType::kMadi, false).size(), 64u);

    // Selectors and lists name channels alike: the pair by its channels, SFP by its module.
    const auto aes = catalog.Channels(RouteSide::Input, RouteType::kAes, true);
    ASSERT_EQ(aes.size(), 8u);
    EXPECT_EQ(aes[2], (ChannelEntry{517, "AES 05+06"}));

    const auto sfp2 = catalog.Channels(RouteSide::Input, RouteType::kSfp2, false);
    ASSERT_EQ(sfp2.size(), 128u);
    EXPECT_EQ(sfp2[0], (ChannelEntry{785, "SFP2 01"}));

    const auto madiCard = catalog.Channels(RouteSide::Input, 2, false);
    ASSERT_EQ(madiCard.size(), 128u);
    EXPECT_EQ(madiCard[63], (ChannelEntry{192, "CARD3 64"}));
    EXPECT_EQ(madiCard[64], (ChannelEntry{1153, "CARD3 65"}));
    EXPECT_EQ(catalog.Channels(RouteSide::Input, 2, true)[32].text, "CARD3 65+66");
    EXPECT_TRUE(catalog.Channels(RouteSide::Output, 0, false).empty()) << "an AD card has no outputs";

    state.config.phd.portCfg = 1;
    const auto phd = catalog.Channels(RouteSide::Input, RouteType::kPhd, false);
    ASSERT_EQ(phd.size(), 64u);
    EXPECT_EQ(phd[32], (ChannelEntry{561, "PHD2 01"}));
}

TEST(ChannelCatalog, IpEntriesCarryTheFirstFlowThatHoldsThem) {
    DeviceState state;
    IpFlowTables flows;
    flows.rxFlows[0] = {1, 0, 0, 0};  // does not exist
    flows.rxFlowSlots[0][0].channel = 3;
    flows.rxFlows[4] = {5, 1, 0, 0};
    flows.rxFlowSlots[4][2].channel = 3;
    EXPECT_EQ(ChannelCatalog(state, CapabilitiesOf(state, ModelClass::Full), &flows)
                  .Channels(RouteSide::Input, RouteType::kIp, false)[2]
                  .text,
              "IP 03  -  Flow 5-3");
    EXPECT_EQ(ChannelCatalog(state, CapabilitiesOf(state, ModelClass::Full), nullptr)
                  .Channels(RouteSide::Input, RouteType::kIp, false)[2]
                  .text,
              "IP 03");
    EXPECT_EQ(ChannelCatalog(state, CapabilitiesOf(state, ModelClass::Full), &flows)
                  .Channels(RouteSide::Output, RouteType::kIp, false)[2]
                  .text,
              "IP 03");
}

TEST(RoutingSnapshot, SavesAllFilteredOrSelectedRows) {
    DeviceState state;
    CrosspointTable live{};
    Route(live, 5, 7);
    Route(live, 2, 9);
    std::ostringstream all;
    const CrosspointSnapshot everything = SnapshotToSave(live, 1536, {}, false, std::nullopt);
    CrosspointFile::Write(all, everything.crosspoints, everything.index);
    EXPECT_EQ(all.str(), "1=2,9\r\n2=5,7\r\n");

    const std::int32_t listed[] = {5, 2, 3};
    const CrosspointSnapshot filtered = SnapshotToSave(live, 1536, listed, true, std::nullopt);
    EXPECT_EQ(filtered.crosspoints, (Crosspoints{{5, 7}, {2, 9}}))
        << "list order; a disconnected row is left out";

    const std::int32_t selected[] = {2, 5};
    std::ostringstream chosen;
    const CrosspointSnapshot rows =
        SnapshotToSave(live, 1536, listed, true, std::span<const std::int32_t>(selected));
    CrosspointFile::Write(chosen, rows.crosspoints, rows.index);
    EXPECT_EQ(chosen.str(), "1=2,9\r\n1=5,7\r\n");
}

}  // namespace
}  // namespace velmar
