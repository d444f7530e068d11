#include <gtest/gtest.h>

#include <set>
#include <string>

#include "features/channeltools/core/ChannelToolsGates.h"
#include "features/clock/core/ClockUnit.h"
#include "features/firmware/core/FirmwareUnit.h"
#include "features/leveldetectors/core/LevelDetectorModule.h"
#include "features/networkaudio/core/NetworkAudioModule.h"
#include "features/ppm/core/PpmModule.h"
#include "tests/device/SessionFixture.h"

namespace velmar::test {
namespace {

TEST(FeatureModule, EveryFeatureIsRegisteredOnceAndItsUnitIsHandedOutByType) {
    std::set<std::string_view> names;
    std::set<std::string> units;
    for (const CoreModule* module : CoreModules()) {
        ASSERT_NE(module, nullptr);
        EXPECT_TRUE(names.insert(module->name).second) << module->name;
        EXPECT_EQ(module->unitType == nullptr, module->build == nullptr) << module->name;
        if (module->unitType != nullptr) {
            EXPECT_TRUE(units.insert(module->unitType->name()).second) << module->name << " shares a unit";
        }
    }
    FakeTimerService timers;
    RecordingTransport transport;
    FakeDatagramSocket datagrams;
    Session session(transport, datagrams, timers, LinkPorts{}, ConsoleOptions{});
    EXPECT_EQ(&session.Feature<ClockUnit>(), &session.Feature<ClockUnit>());
    EXPECT_EQ(&session.Feature<FirmwareUnit>(), &session.Feature<FirmwareUnit>());
    EXPECT_THROW(session.Feature<FeatureContext>(), std::logic_error);
}

// The menu and the command line say the same thing about a frame that lacks a tool.
TEST(FeatureModule, GatesNameWhatTheFrameLacksFirstTheModeThenTheMatrixThenTheBoards) {
    FrameFacts frame{DeviceMode::Recovery, {ModelClass::Full, true, true, false, true, 1536}, 2000001, 3};
    EXPECT_EQ(PpmGate(frame), "runs its recovery firmware: no PPM streams from here; use application");
    frame.mode = DeviceMode::Mode2;
    EXPECT_EQ(LabelsGate(frame), "runs in mode 2: no channel labels from here");
    frame.mode = DeviceMode::Application;
    for (const auto gate :
         {ChannelToolGate, LabelsGate, GainsGate, LevelDetectorGate, PpmGate, NetworkAudioGate})
        EXPECT_EQ(gate(frame), "");
    frame.capabilities.dante = false;
    EXPECT_EQ(NetworkAudioGate(frame), "has no Dante module: no IP flows from here");
    EXPECT_EQ(LabelsGate(frame), "");
    frame.capabilities.matrix = false;
    EXPECT_EQ(GainsGate(frame), "is a frame without a matrix (class 2): no gain settings from here");
    frame = {DeviceMode::Application, {ModelClass::Full, true, true, false, true, 1024}, 1040001, 0};
    EXPECT_NE(LabelsGate(frame), "");
    EXPECT_NE(LevelDetectorGate(frame), "");
    EXPECT_EQ(NetworkAudioGate(frame), "");
    frame.version = 1020001;
    EXPECT_NE(NetworkAudioGate(frame), "");
}

}  // namespace
}  // namespace velmar::test
