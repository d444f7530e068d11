#include <gtest/gtest.h>

#include "device/FeatureGate.h"

namespace velmar {
namespace {

FrameFacts Frame(DeviceMode mode, bool matrix = true, bool dante = true, std::int32_t version = 2010003,
                 std::uint32_t features = 3) {
    FrameFacts facts{mode, {}, version, features};
    facts.capabilities.matrix = matrix;
    facts.capabilities.dante = dante;
    return facts;
}

TEST(FeatureGateTest, EachGateNamesTheFirstThingTheFrameLacks) {
    EXPECT_EQ(GateRefusal(Feature::Restart, Frame(DeviceMode::Recovery)),
              "runs its recovery firmware: no restart from here; use application");
    EXPECT_TRUE(Offers(Feature::Restart, Frame(DeviceMode::Mode2, false)));
    EXPECT_TRUE(Offers(Feature::HwConfiguration, Frame(DeviceMode::Recovery)));
    EXPECT_FALSE(Offers(Feature::HwConfiguration, Frame(DeviceMode::Recovery, false)));
    EXPECT_EQ(GateRefusal(Feature::ChannelLabels, Frame(DeviceMode::Mode2)),
              "runs in mode 2: no channel labels from here");
    EXPECT_EQ(GateRefusal(Feature::PpmStreams, Frame(DeviceMode::Application, false, false)),
              "is a frame without a matrix (class 2): no PPM streams from here");
    EXPECT_EQ(GateRefusal(Feature::IpFlows, Frame(DeviceMode::Application, true, false)),
              "has no Dante module: no IP flows from here");
    EXPECT_TRUE(Offers(Feature::IpFlows, Frame(DeviceMode::Application, true, true, 1020002)));
    EXPECT_FALSE(Offers(Feature::IpFlows, Frame(DeviceMode::Application, true, true, 1020001)));
    EXPECT_FALSE(Offers(Feature::ChannelLabels, Frame(DeviceMode::Application, true, true, 1040001)));
    EXPECT_EQ(GateRefusal(Feature::GainSettings, Frame(DeviceMode::Application, true, true, 2010003, 1)),
              "does not report the gain settings feature: no gain settings from here");
    EXPECT_TRUE(Offers(Feature::LevelDetectors, Frame(DeviceMode::Application, true, true, 2010003, 1)));
    EXPECT_TRUE(NeedsDanteModule(CommandCode::gbkname));
    EXPECT_FALSE(NeedsDanteModule(CommandCode::gswver));
}

}  // namespace
}  // namespace velmar
