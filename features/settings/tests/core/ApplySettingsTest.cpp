#include "features/settings/core/ApplySettings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "device/RequestWriter.h"
#include "features/settings/tests/core/WireLines.h"

namespace velmar {
namespace {

using Words = std::vector<std::string>;

// A frame image with an SFP module and a Dante module, the editor's snapshot of it, and the
// operator's edits on a copy.
class ApplySettingsTest : public ::testing::Test {
  protected:
    ApplySettingsTest() {
        live->ResetState();
        ConfigBlock& c = live->config;
        c.hwConf[2].boardType = 1;
        c.hwConf[17].boardType = 1;
        c.danteLan.mac.Assign("001122334455");
        c.deviceName.Assign("Studio A");
        c.lan.ip.Assign("127.0.0.2");
        c.lan.subnet.Assign("255.0.0.0");
        c.lan.gateway.Assign("0.0.0.0");
        c.aliveTime = 10;
        *opened = c;
        *edited = c;
    }

    ApplyOutcome Apply() { return ApplySettings(*opened, *edited, live->config, writer); }

    std::unique_ptr<DeviceState> live = std::make_unique<DeviceState>();
    std::unique_ptr<ConfigBlock> opened = std::make_unique<ConfigBlock>();
    std::unique_ptr<ConfigBlock> edited = std::make_unique<ConfigBlock>();
    test::WireLines wire;
    RequestWriter writer{wire, *live};
};

TEST_F(ApplySettingsTest, EveryChangedGroupCountsNotOnlyTheLast) {
    ApplyOutcome outcome = Apply();
    EXPECT_TRUE(wire.lines.empty());
    EXPECT_FALSE(outcome.AnyChanged());

    edited->lan.ip.Assign("127.0.0.9");
    edited->aliveTime = 30;
    outcome = Apply();
    EXPECT_EQ(wire.Words(), (Words{"salivetime", "sip"}));
    EXPECT_EQ(wire.lines[1], "&sip,0,'127.0.0.9','255.0.0.0','0.0.0.0'");
    EXPECT_TRUE(outcome.OfferRestart());

    // A network change followed by a later group still offers the restart and still re-reads.
    wire.lines.clear();
    *opened = live->config;
    *edited = live->config;
    edited->lan.ip.Assign("127.0.0.10");
    edited->aesChnStMode = 1;
    outcome = Apply();
    EXPECT_EQ(wire.Words(), (Words{"sip", "saeschstat"}));
    EXPECT_TRUE(outcome.networkChanged);
    EXPECT_TRUE(outcome.settingsChanged);
    EXPECT_TRUE(outcome.OfferRestart());
}

TEST_F(ApplySettingsTest, ThePlanNamesWhatApplyingSendsAndCountsTheSameRequests) {
    edited->lan.ip.Assign("127.0.0.9");
    edited->syncPrio[3] = 7;
    edited->danteName.Assign("Stage box");
    const std::vector<PlannedGroup> plan = PlanSettings(*opened, *edited, SettingsPresenceOf(live->config));
    EXPECT_EQ(plan,
              (std::vector<PlannedGroup>{
                  {"Network address", 1}, {"Dante device name", 1}, {"Synchronization priorities", 17}}));
    EXPECT_EQ(Apply().requestsSent, 19u);

    // Without the module its settings are neither sent nor promised.
    SettingsPresence noDante = SettingsPresenceOf(live->config);
    noDante.dante = false;
    EXPECT_EQ(PlanSettings(*opened, *edited, noDante).size(), 2u);
    EXPECT_TRUE(PlanSettings(*opened, *opened, noDante).empty());
}

TEST_F(ApplySettingsTest, LinesComeFromTheEditsAndTheFrameImageIsLeftToTheFrame) {
    // Meanwhile the frame changed its alive time and gateway; the operator touched neither.
    live->config.aliveTime = 99;
    live->config.lan.gateway.Assign("127.0.0.1");
    const auto before = std::make_unique<DeviceState>(*live);
    edited->systemDelay = 12;
    edited->lan.ip.Assign("127.0.0.7");
    const ApplyOutcome outcome = Apply();
    EXPECT_EQ(wire.Words(), (Words{"ssystemdelay", "sip"}));
    EXPECT_EQ(wire.lines[1], "&sip,0,'127.0.0.7','255.0.0.0','0.0.0.0'");
    EXPECT_EQ(outcome.requestsSent, 2u);
    EXPECT_EQ(std::memcmp(&before->config, &live->config, sizeof(ConfigBlock)), 0)
        << "the frame's answers bring the new values, not the apply";

    // What was sent is read back, keyed groups key by key.
    wire.lines.clear();
    ReadBackSettings(outcome, writer);
    EXPECT_EQ(wire.Words(), (Words{"gsystemdelay", "gip"}));
    *opened = *edited;
    edited->madiOut[0].legFr = 1;
    const ApplyOutcome madi = Apply();
    EXPECT_EQ(madi.toRead, (std::vector<SettingRead>{{CommandCode::gmadiinmode, 1},
                                                     {CommandCode::gmadioutmode, 1},
                                                     {CommandCode::gmadidsdmode, 1}}));
}

TEST_F(ApplySettingsTest, OneSyncPrioritySendsTheWholeTableInSourceOrder) {
    edited->syncPrio[4] = 7;
    Apply();
    ASSERT_EQ(wire.lines.size(), 17u);
    EXPECT_EQ(wire.lines.front(), "&ssyncprio,2,0");
    EXPECT_EQ(wire.lines[4], "&ssyncprio,6,7");
    EXPECT_EQ(wire.lines.back(), "&ssyncprio,18,0");
}

TEST_F(ApplySettingsTest, RedundancyOnLeavesTheSecondSfpAlone) {
    edited->redundancyEnable = 1;
    edited->optMode[1].mode = 1;
    edited->madiOut[2].mode = 1;
    edited->hlinkInMode[1].mode = 1;
    edited->optMode[0].mode = 2;
    edited->hlinkInMode[0].mode = 1;
    Apply();
    EXPECT_EQ(wire.Words(), (Words{"soptred", "soptmode", "shlinkinmode", "shlinkoutmode"}));
    EXPECT_EQ(wire.lines[1], "&soptmode,1,2");

    // Switched off, the pair goes out as "off, automatic": the old mode is not the operator's.
    wire.lines.clear();
    *opened = live->config;
    opened->redundancyEnable = 1;
    opened->redundancyMode = 2;
    *edited = *opened;
    edited->redundancyEnable = 0;
    edited->madiOut[2].mode = 1;
    Apply();
    EXPECT_EQ(wire.Words(), (Words{"soptred", "smadiinmode", "smadioutmode", "smadidsdmode"}));
    EXPECT_EQ(wire.lines[0], "&soptred,0,0");
    EXPECT_EQ(wire.lines[2], "&smadioutmode,3,0,0,1");

    // While it stays off, a mode that would not travel is no change.
    wire.lines.clear();
    opened->redundancyEnable = 0;
    *edited = *opened;
    edited->redundancyMode = 0;
    EXPECT_FALSE(Apply().AnyChanged());
    EXPECT_TRUE(wire.lines.empty());
}

TEST_F(ApplySettingsTest, DanteRequestsOnlyForAFrameWithTheModule) {
    edited->danteName.Assign("stagebox");
    edited->danteLan.ip.Assign("10.0.0.5");
    edited->danteSwMode = 1;
    ApplyOutcome outcome = Apply();
    EXPECT_EQ(wire.Words(), (Words{"sbkname", "sbkip", "sswmodeip"}));
    EXPECT_TRUE(outcome.danteNetworkChanged);
    EXPECT_TRUE(outcome.OfferRestart());

    // A module that never reported its MAC is not there for the editor either.
    wire.lines.clear();
    live->config.danteLan.mac.Assign("");
    *opened = live->config;
    *edited = live->config;
    edited->danteName.Assign("other");
    outcome = Apply();
    EXPECT_TRUE(wire.lines.empty());
    EXPECT_FALSE(outcome.AnyChanged());
}

TEST_F(ApplySettingsTest, ARefusedTextSendsNothingForItsGroupAndKeepsTheFramesValue) {
    edited->deviceName.Assign("Studio, A");
    edited->aliveTime = 20;
    const ApplyOutcome outcome = Apply();
    EXPECT_EQ(wire.Words(), (Words{"salivetime"}));
    ASSERT_EQ(outcome.refused.size(), 1u);
    EXPECT_NE(outcome.refused[0].find("device name"), std::string::npos) << outcome.refused[0];
    EXPECT_TRUE(SettingsDiffer(*opened, *edited));
    EXPECT_FALSE(SettingsDiffer(*opened, *opened));
}

}  // namespace
}  // namespace velmar
