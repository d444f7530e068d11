#include <gtest/gtest.h>

#include "features/leveldetectors/core/LevelDetectorEvents.h"
#include "features/leveldetectors/core/LevelDetectorUnit.h"
#include "tests/device/SessionFixture.h"

namespace velmar::test {
namespace {

class LevelDetectors : public SessionFixture {
  protected:
    LevelDetectors() {
        subscription = session.Events().Subscribe<LevelDetectorsChanged>(
            [this](const LevelDetectorsChanged& e) { detectors.push_back(e); });
    }

    const LevelDetector& Detector(std::size_t direction, std::int32_t channel) {
        return session.Feature<LevelDetectorUnit>().Stored(static_cast<std::int32_t>(direction), channel);
    }
    LevelDetectorUnit& Unit() { return session.Feature<LevelDetectorUnit>(); }

    std::vector<LevelDetectorsChanged> detectors;
    Subscription subscription;
};

TEST_F(LevelDetectors, ReportsAreStoredOnlyForChannelsTheTablesHave) {
    ConnectAs(DeviceMode::Application, ModelClass::Full);
    MakeNewFirmwareFrame();
    Reply(":glevdetthres,0,0,9,-0.50,100,3.50,200");
    Reply(":glevdetthres,-1,0,10");                     // refused: keeps what was there
    Reply(":glevdetstate,0,1,2049,1");                  // past the tables
    Reply(":llevdetstate,0,1,1530,8,1,1,1,1,1,1,1,1");  // runs past channel 1536
    Reply(":llevdetstatus,0,0,1,3,0,1,0");
    EXPECT_EQ(Detector(0, 9).thresholds, (DetectorThresholds{{true, 0, 50}, 100, {false, 3, 50}, 200}));
    EXPECT_EQ(Detector(1, 1530).state, 0);
    EXPECT_EQ(Detector(0, 2).status, 1);
    ASSERT_EQ(detectors.size(), 2u);
    EXPECT_EQ(detectors[1].first, 1);
    EXPECT_EQ(detectors[1].count, 3);

    // Another frame's detectors are not this one's.
    session.Disconnect();
    ConnectAs(DeviceMode::Application, ModelClass::Full);
    EXPECT_EQ(Detector(0, 9).thresholds, DetectorThresholds{});
    EXPECT_EQ(Detector(0, 2).status, 0);
}

TEST_F(LevelDetectors, RequestsStayWithinTheToolChannelsAndCarryFixedValues) {
    // A frame without cards starts its tools at channel 513: 512 channels, not 1024.
    ConnectAs(DeviceMode::Application, ModelClass::NoCards);
    transport.TakeSent();
    Unit().LevelDetectorRuns(CommandCode::llevdetstatus);
    const std::vector<std::string> runs = transport.TakeSent();
    ASSERT_EQ(runs.size(), 8u);
    EXPECT_EQ(runs[3], "?llevdetstatus,0,897,128");
    EXPECT_EQ(runs[4], "?llevdetstatus,1,513,128");

    Unit().SetLevelDetectorThresholds(0, 3, {{true, 0, 50}, 100, {true, 40, 0}, 60000});
    Unit().SetLevelDetectorState(1, 3, true);
    Unit().SetLevelDetectorState(1, 1025, true);  // a 1024-channel frame
    EXPECT_EQ(transport.TakeSent(),
              (std::vector<std::string>{"&slevdetthres,0,3,-0.50,100,-40.00,60000", "&slevdetstate,1,3,1"}));
}

}  // namespace
}  // namespace velmar::test
