#include <gtest/gtest.h>

#include "features/channeltools/core/ChannelToolsEvents.h"
#include "features/channeltools/core/ChannelToolsState.h"
#include "features/channeltools/core/ChannelToolsUnit.h"
#include "tests/device/SessionFixture.h"

namespace velmar::test {
namespace {

class ChannelTools : public SessionFixture {
  protected:
    ChannelTools() {
        subscriptions.push_back(
            session.Events().Subscribe<GainChanged>([this](const GainChanged& e) { gains.push_back(e); }));
        subscriptions.push_back(session.Events().Subscribe<LabelsChanged>(
            [this](const LabelsChanged& e) { labels.push_back(e); }));
        subscriptions.push_back(session.Events().Subscribe<InputStatusChanged>(
            [this](const InputStatusChanged& e) { inputs.push_back(e); }));
    }

    std::vector<GainChanged> gains;
    std::vector<LabelsChanged> labels;
    std::vector<InputStatusChanged> inputs;
    Subscriptions subscriptions;
};

TEST_F(ChannelTools, ReportsAreStoredOnlyForChannelsTheTablesHave) {
    ConnectAs(DeviceMode::Application, ModelClass::Full);
    MakeNewFirmwareFrame();
    Reply(":ggain,0,1,5,-3.05,1,0");
    Reply(":ggain,0,1,0,6.00,1,1");     // channel 0
    Reply(":ggain,0,0,2049,6.00,1,1");  // past the tables
    Reply(":sgain,-1,1,7,6.00,1,1");    // refused: no gain in it
    const GainEntry& gain = session.Feature<ChannelToolsUnit>().Gains()[1][4];
    EXPECT_EQ(gain.gain, (FixedValue{true, 3, 5}));
    EXPECT_EQ(gain.phase, 1);
    EXPECT_EQ(gain.mute, 0);
    EXPECT_EQ(session.Feature<ChannelToolsUnit>().Gains()[1][6].gain, FixedValue{});
    ASSERT_EQ(gains.size(), 1u);
    EXPECT_EQ(gains[0].channel, 5);

    // A short run of main inputs leaves the others as they were; input 15 does not exist.
    Reply(":gmaininpstatus,0,3,ESa");
    Reply(":gmaininpstatus,0,15,ESa");
    Reply(":lmaininpstatus,0,1,2,--A,--A");
    const auto& main = session.Feature<ChannelToolsUnit>().Inputs().mainInputStatus;
    EXPECT_EQ(main[0].status.View(), "--A");
    EXPECT_EQ(main[2].status.View(), "ESa");
    EXPECT_EQ(inputs.size(), 2u);

    // Another frame's gains and inputs are not this one's.
    session.Disconnect();
    ConnectAs(DeviceMode::Application, ModelClass::Full);
    MakeNewFirmwareFrame();
    EXPECT_EQ(session.Feature<ChannelToolsUnit>().Gains()[1][4].gain, FixedValue{});
    EXPECT_TRUE(session.Feature<ChannelToolsUnit>().Inputs().mainInputStatus[2].status.Empty());

    transport.TakeSent();
    session.Feature<ChannelToolsUnit>().LabelRuns();
    const std::vector<std::string> labelRuns = transport.TakeSent();
    ASSERT_EQ(labelRuns.size(), 96u);
    EXPECT_EQ(labelRuns.back(), "?llabel,1,1505,32");
}

TEST_F(ChannelTools, LabelReportsAndRunsArePublished) {
    ConnectAs(DeviceMode::Application, ModelClass::Full);
    Reply(":glabel,0,1,7,'Mic 7'");
    Reply(":slabel,-1,1,8,'Refused'");
    Reply(":llabel,0,0,33,2,'Gtr L','Gtr R'");
    EXPECT_EQ(session.State().config.outputLabels[6].View(), "Mic 7");
    EXPECT_TRUE(session.State().config.outputLabels[7].Empty());
    EXPECT_EQ(session.State().config.inputLabels[33].View(), "Gtr R");
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_EQ(labels[0].direction, 1);
    EXPECT_EQ(labels[1].first, 33);
    EXPECT_EQ(labels[1].count, 2);
}

TEST_F(ChannelTools, ListRequestsStayWithinTheChannelCount) {
    // A frame without cards starts its tools at channel 513: 512 channels, not 1024.
    ConnectAs(DeviceMode::Application, ModelClass::NoCards);
    transport.TakeSent();
    session.Feature<ChannelToolsUnit>().GainLists();
    EXPECT_EQ(transport.TakeSent(), (std::vector<std::string>{"?lgain,0,513,512", "?lgain,1,513,512"}));
}

TEST_F(ChannelTools, SetRequestsCarryFixedValuesAndStayOnTheFrame) {
    ConnectAs(DeviceMode::Application, ModelClass::Full);
    transport.TakeSent();
    session.Feature<ChannelToolsUnit>().ClearGain(4);
    session.Feature<ChannelToolsUnit>().ClearGain(0);
    EXPECT_EQ(transport.TakeSent(), (std::vector<std::string>{"&sgain,0,4,0.00,0,0", "&sgain,1,4,0.00,0,0"}));
}

}  // namespace
}  // namespace velmar::test
