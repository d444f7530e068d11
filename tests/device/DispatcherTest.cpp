#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "features/channeltools/core/ChannelToolsState.h"
#include "features/channeltools/core/ChannelToolsUnit.h"
#include "features/networkaudio/core/NetworkAudioUnit.h"
#include "features/routing/core/RoutingUnit.h"
#include "tests/device/SessionFixture.h"

namespace velmar::test {
namespace {

using namespace std::chrono_literals;

class DispatcherTest : public SessionFixture {
  protected:
    void SetUp() override {
        ConnectAs(DeviceMode::Application, ModelClass::Full);
        transport.TakeSent();
    }

    std::string Run(std::int32_t first, std::int32_t source) {
        std::string line = ":lcross,0," + std::to_string(first) + ",128";
        for (int i = 0; i < 128; ++i)
            line += "," + std::to_string(source);
        return line;
    }

    const DeviceState& State() { return session.State(); }
    const IpFlowTables& Flows() { return session.Feature<NetworkAudioUnit>().Flows(); }
};

TEST_F(DispatcherTest, SimpleStoreRowsFollowTheirStatusRule) {
    Reply(":ggenrate,0,3");
    Reply(":gphdmode,0,1,2,3");
    Reply(":gmaxlatencyip,0,'dante',250");
    Reply(":grxportrng,0,5000,5100");
    EXPECT_EQ(State().config.sampleRate, 3);
    EXPECT_EQ(State().config.phd.emuMode2, 3);
    EXPECT_EQ(Flows().maxLatency, 250);
    EXPECT_EQ(Flows().rxPortLast, 5100);

    Reply(":ggenrate,-1,3");           // 0 on error
    Reply(":gphdmode,-1,7,7,7");       // unchanged on error
    Reply(":gmaxlatencyip,-1");        // no status test: the codec zeroed the field
    Reply(":grxportrng,2,5000,5100");  // both 0 on error
    EXPECT_EQ(State().config.sampleRate, 0);
    EXPECT_EQ(State().config.phd.portCfg, 1);
    EXPECT_EQ(Flows().maxLatency, 0);
    EXPECT_EQ(Flows().rxPortFirst, 0);
    EXPECT_EQ(Flows().rxPortLast, 0);
}

TEST_F(DispatcherTest, TwelveCrosspointRunsFillA1536ChannelFrameAndRebuildOnce) {
    MakeNewFirmwareFrame();
    for (std::int32_t first = 1; first <= 1409; first += 128)
        Reply(Run(first, first));
    EXPECT_EQ(events.matrixReads, 1);
    EXPECT_EQ(session.Feature<RoutingUnit>().Crosspoints()[0], 1);
    EXPECT_EQ(session.Feature<RoutingUnit>().Crosspoints()[1535], 1409);
    Reply(Run(1409, 1409));  // the same reply again: same state, one more rebuild
    EXPECT_EQ(events.matrixReads, 2);
}

TEST_F(DispatcherTest, CrosspointRunsBeyondTheChannelCountAreDropped) {
    Reply(Run(1409, 5));  // a 1024-channel frame
    Reply(Run(0, 5));
    Reply(":lcross,0,1000,100,1");  // 1000 + 100 - 1 > 1024
    EXPECT_EQ(events.matrixReads, 0);
    for (std::int32_t v : session.Feature<RoutingUnit>().Crosspoints())
        ASSERT_EQ(v, 0);
    Reply(Run(897, 4));
    EXPECT_EQ(events.matrixReads, 1);
    EXPECT_EQ(session.Feature<RoutingUnit>().Crosspoints()[1023], 4);
}

TEST_F(DispatcherTest, CrosspointChangesSayWhereTheyCameFrom) {
    Reply("%gcross,12,34");
    EXPECT_EQ(session.Feature<RoutingUnit>().Crosspoints()[11], 34);
    Reply(":gcross,0,13,35");
    EXPECT_EQ(session.Feature<RoutingUnit>().Crosspoints()[12], 35);
    Reply(":gcross,-1,13");  // no status test: an error stores "not connected"
    EXPECT_EQ(session.Feature<RoutingUnit>().Crosspoints()[12], 0);
    Reply("%gcross,0,5");
    Reply("%gcross,1025,5");  // beyond 1024 channels
    ASSERT_EQ(events.crosspoints.size(), 3u);
    EXPECT_EQ(events.crosspoints[0].origin, CrosspointOrigin::Notification);
    EXPECT_EQ(events.crosspoints[0].output, 12);
    EXPECT_EQ(events.crosspoints[1].origin, CrosspointOrigin::GetReply);
}

TEST_F(DispatcherTest, ARefusedRouteKeepsTheCrosspointTheFrameStillHolds) {
    session.Feature<RoutingUnit>().SetCrosspoint(7, 9);
    Reply(":scross,0,7,9,0,0");
    EXPECT_EQ(session.Feature<RoutingUnit>().Crosspoints()[6], 9);
    session.Feature<RoutingUnit>().SetCrosspoint(7, 11);
    Reply(":scross,-3,7,0,0,0");
    EXPECT_EQ(session.Feature<RoutingUnit>().Crosspoints()[6], 9);
    ASSERT_EQ(events.refusals.size(), 1u);
    EXPECT_EQ(events.refusals[0].output, 7);
    EXPECT_EQ(events.refusals[0].input, 11);  // what was asked, not what the refusal echoes
    EXPECT_EQ(events.refusals[0].status, -3);
    EXPECT_EQ(events.refusals[0].kept, 9);
    Reply(":scross,0,2049,9,0,0");
    ASSERT_EQ(events.crosspoints.size(), 1u);
    EXPECT_EQ(events.crosspoints[0].origin, CrosspointOrigin::SetReply);
}

TEST_F(DispatcherTest, PowerSupplyChainAndCardTimer) {
    Reply(":gpsuconf,0,3");
    EXPECT_EQ(transport.TakeSent(), (std::vector<std::string>{"?gpsustatus,1", "?gpsustatus,2"}));
    Reply("%gpsustatus,2,0");  // a notification: state yes, card requests no
    EXPECT_FALSE(timers.HasTimer("card requests"));
    Reply(":gpsustatus,0,2,5");
    EXPECT_EQ(State().live.psuStatus[1], 5);
    EXPECT_EQ(timers.Remaining("card requests"), 200ms);
    Reply(":gpsustatus,0,3,5");  // no PSU 3
    Reply(":gpsuconf,-1,3");
    EXPECT_EQ(State().config.psuConf, 0u);
    Reply(":gpsustatus,0,1,4");  // no supply fitted: status kept 0
    EXPECT_EQ(State().live.psuStatus[0], 0);
}

TEST_F(DispatcherTest, FanStatusIsAskedOnlyForFittedFans) {
    Reply(":gfanconf,0,5");
    EXPECT_EQ(transport.TakeSent(), (std::vector<std::string>{"?gfanstatus,1", "?gfanstatus,3"}));
    Reply(":gfanstatus,0,3,1");
    EXPECT_EQ(State().live.fanStatus[2], 1);
}

TEST_F(DispatcherTest, HardwareConfigOfPosition20SetsTheCardKinds) {
    Reply(":ghwconf,0,10,4,'K5A013-01','AD8'");
    Reply(":ghwconf,0,12,1,'K5A025','MADI'");
    EXPECT_EQ(State().config.cards[1].kind, CardType::None);  // not before position 20
    Reply(":ghwconf,0,20,0,'',''");
    EXPECT_EQ(State().config.cards[1].kind, CardType::Ad);
    EXPECT_EQ(State().config.cards[1].mode, 1);
    EXPECT_EQ(State().config.cards[3].kind, CardType::MadiHotlink);
    Reply(":ghwconf,0,21,1,'K5A013',''");  // no position 21
    Reply(":ghwconf,0,0,1,'K5A013',''");
    EXPECT_EQ(State().config.hwConf[19].position, 20);
}

TEST_F(DispatcherTest, CardRowsCheckIndicesAndCardMode) {
    Reply(":gadinpmode,0,2,3,257");  // low byte
    EXPECT_EQ(State().config.cards[1].ad[2].inputMode, 1);
    Reply(":gadmiclevel,0,2,3,-0.50");
    EXPECT_TRUE(State().config.cards[1].ad[2].micLevel.negative);
    EXPECT_EQ(State().config.cards[1].ad[2].micLevel.hundredths, 50);
    Reply(":gadinpmode,0,2,9,1");
    Reply(":gadinpmode,0,9,1,1");
    Reply(":gdadsdfilter,0,4,2");
    for (const DaChannel& ch : State().config.cards[3].da)
        EXPECT_EQ(ch.dsdFilter, 2);
    Reply(":gembmode,0,1,2,4,6");
    EXPECT_EQ(State().config.cards[0].sdi[1].embMode[3], 6);
    Reply(":gembmode,0,1,2,5,6");  // group 5 does not exist

    Reply(":gcifmode,0,5,2");  // Hotlink
    EXPECT_EQ(events.layoutChanges, 1);
    Reply(":gcmadiinmode,0,5,1,3");
    EXPECT_EQ(State().config.cards[4].madi.ports[0].inMode, 0);
    Reply(":gchlinkinmode,0,5,7");
    EXPECT_EQ(State().config.cards[4].madi.HotlinkIn(), 7);
    Reply(":gcifmode,0,5,1");  // MADI
    Reply(":gchlinkoutmode,0,5,9");
    EXPECT_EQ(State().config.cards[4].madi.HotlinkOut(), 0);
    Reply(":gcmadioutmode,0,5,2,1,2,3");
    EXPECT_EQ(State().config.cards[4].madi.ports[1].outMode, 3);
}

TEST_F(DispatcherTest, MadiOutKeepsDsdModeAndPort3RebuildsSelectors) {
    Reply(":gmadidsdmode,0,2,4");
    Reply(":gmadioutmode,0,2,1,1,1");
    EXPECT_EQ(State().config.madiOut[1].dsdMode, 4);
    EXPECT_EQ(State().config.madiOut[1].mode, 1);
    EXPECT_EQ(events.layoutChanges, 0);
    Reply(":gmadioutmode,0,3,1,1,1");
    EXPECT_EQ(events.layoutChanges, 1);
    Reply(":gmadiinmode,0,4,1");
    EXPECT_EQ(State().config.madiIn[2].port, 3);
}

TEST_F(DispatcherTest, RepliesAreIdempotent) {
    Reply(":gdevfeature,0,2,1");
    Reply(":gdevfeature,0,2,1");
    Reply(":gdevfeature,0,1,0");
    Reply(":gdevfeature,0,33,1");
    EXPECT_EQ(State().config.features, 2u);
    Reply(":lsyncprio,0,2,3,9,8,7");
    Reply(":lsyncprio,0,2,3,9,8,7");
    EXPECT_EQ(State().config.syncPrio[0], 9);
    EXPECT_EQ(State().config.syncPrio[2], 7);
    EXPECT_EQ(State().config.syncPrio[3], 0);
    Reply(":gsyncprio,0,18,300");
    EXPECT_EQ(State().config.syncPrio[16], 300 & 0xFF);
}

TEST_F(DispatcherTest, DeviceInfoAndBoardsRecomputeTheCapabilities) {
    EXPECT_EQ(session.Capabilities().model, ModelClass::Full);
    EXPECT_TRUE(session.Capabilities().cards);
    Reply(":gdevinfo,0,'LW16',3,'SN123'");
    EXPECT_EQ(session.Capabilities().model, ModelClass::NoCards);
    EXPECT_FALSE(session.Capabilities().cards);
    EXPECT_EQ(events.capabilityChanges, 1);
    EXPECT_EQ(events.row[3], "LW16");
    EXPECT_EQ(events.row[4], "SN123");
    Reply(":gdevinfo,0,'LW16',3,'SN123'");
    EXPECT_EQ(events.capabilityChanges, 1);
    Reply(":ghwconf,0,18,1,'K5A030','Dante'");
    EXPECT_TRUE(session.Capabilities().dante);
    EXPECT_EQ(events.capabilityChanges, 2);
}

TEST_F(DispatcherTest, LabelsAreStoredAndRunsStayInsideTheTable) {
    Reply(":glabel,0,1,3,'Out 3'");
    Reply(":slabel,-1,0,3,'Bad'");
    EXPECT_EQ(State().config.outputLabels[2].View(), "Out 3");
    EXPECT_TRUE(State().config.inputLabels[2].Empty());
    const auto labelRun = [](std::int32_t first, const std::string& text) {
        std::string line = ":llabel,0,0," + std::to_string(first) + ",32";
        for (int i = 0; i < 32; ++i)
            line += ",'" + text + "'";
        return line;
    };
    Reply(labelRun(993, "a"));
    EXPECT_EQ(State().config.inputLabels[992].View(), "a");
    Reply(labelRun(2040, "x"));  // runs past 2048 are cut, not written beyond
    EXPECT_EQ(State().config.inputLabels[2047].View(), "x");
}

TEST_F(DispatcherTest, IgnoredCodesChangeNothing) {
    const DeviceState before = State();
    Reply(":error,0");
    Reply(":salivetime,0,9");
    Reply(":gtempstatus,0,40");
    Reply(":lgain,0,0,1,1024");
    Reply(":gcifstatus,0,9,1,'abc'");
    Reply(":gcrtxflow,0,33,1,'f',0");
    Reply(":gtxflowslot,0,1,8,3");
    EXPECT_EQ(std::memcmp(&before.live, &State().live, sizeof before.live), 0);
    EXPECT_EQ(State().config.aliveTime, 0);
    const auto& cardInterfaces = session.Feature<ChannelToolsUnit>().Inputs().cardIfStatus;
    EXPECT_TRUE(std::all_of(cardInterfaces.begin(), cardInterfaces.end(),
                            [](const RawStatus& status) { return status.card == 0; }));
    EXPECT_EQ(session.Feature<ChannelToolsUnit>().Gains()[0][0].gain, FixedValue{});
    EXPECT_TRUE(std::all_of(Flows().txFlows.begin(), Flows().txFlows.end(),
                            [](const TxFlow& flow) { return flow.flow == 0; }));
    EXPECT_EQ(Flows().txFlowSlots[0][7].channel, 0);
}

TEST_F(DispatcherTest, FlowRepliesStoreAndClear) {
    Reply(":scrtxflow,0,3,1,'Flow3',7");
    EXPECT_EQ(Flows().txFlows[2].name.View(), "Flow3");
    Reply(":scrtxflow,0,3,0,'',0");
    EXPECT_EQ(Flows().txFlows[2].flow, 0);
    EXPECT_EQ(events.ipRefills, std::vector<bool>{true});
    Reply(":grxflowslot,0,32,7,64");
    EXPECT_EQ(Flows().rxFlowSlots[31][7].channel, 64);

    // Another frame's flows are not this one's.
    session.Disconnect();
    ConnectAs(DeviceMode::Application, ModelClass::Full);
    EXPECT_EQ(Flows().rxFlowSlots[31][7].channel, 0);
}

}  // namespace
}  // namespace velmar::test
