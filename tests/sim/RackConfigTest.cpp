#include <gtest/gtest.h>

#include "sim/RackConfig.h"

namespace velmar::sim {
namespace {

TEST(RackConfigTest, DefaultRackHoldsTheFramesTheDemoNeeds) {
    std::vector<FrameDescription> frames = RackConfig::DefaultRack();
    ASSERT_EQ(RackConfig::AssignAddresses(frames), "");
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0].address, "127.0.0.2");
    EXPECT_EQ(frames[0].model, FrameModel::K5A);
    EXPECT_EQ(ChannelCount(frames[0]), 1536);
    for (const CardKind kind : {CardKind::Sdi, CardKind::Ad, CardKind::Da, CardKind::Aes, CardKind::Madi}) {
        EXPECT_NE(std::find(frames[0].cards.begin(), frames[0].cards.end(), kind), frames[0].cards.end());
    }
    EXPECT_TRUE(frames[0].sfp);
    EXPECT_FALSE(frames[0].danteName.empty());
    EXPECT_EQ(frames[1].model, FrameModel::LW16);
    EXPECT_EQ(frames[2].model, FrameModel::K5E);
    EXPECT_EQ(frames[3].mode, FrameMode::Recovery);
    EXPECT_EQ(frames[3].address, "127.0.0.5");
}

TEST(RackConfigTest, ChannelCountFollowsModelClassAndVersion) {
    FrameDescription description;
    description.version = "2.0.0.0";
    EXPECT_EQ(ChannelCount(description), 1024);
    description.version = "2.0.0.1";
    EXPECT_EQ(ChannelCount(description), 1536);
    description.model = FrameModel::K5B;
    EXPECT_EQ(ChannelCount(description), 1024);
    EXPECT_EQ(VersionNumber("1.4"), 1040000u);
    EXPECT_EQ(VersionNumber("x"), 0u);
}

TEST(RackConfigTest, RackFileDescribesFramesAndNamesTheBadLine) {
    std::vector<FrameDescription> frames;
    const std::string text =
        "# two frames\n"
        "frame model=LV16 mode=mode2 name='Truck 1' id=12 serial=LV160001 version=2.2.0.0 cards=ad,-,madi "
        "sfp=no dante=TRUCK\n"
        "\n"
        "frame address=127.0.0.9 model=K5B\n";
    ASSERT_EQ(RackConfig::ParseFile(text, frames), "");
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].model, FrameModel::LV16);
    EXPECT_EQ(frames[0].mode, FrameMode::Mode2);
    EXPECT_EQ(frames[0].name, "Truck 1");
    EXPECT_EQ(frames[0].id, 12);
    EXPECT_EQ(frames[0].cards[0], CardKind::Ad);
    EXPECT_EQ(frames[0].cards[1], CardKind::None);
    EXPECT_EQ(frames[0].cards[2], CardKind::Madi);
    EXPECT_EQ(frames[0].danteName, "TRUCK");
    ASSERT_EQ(RackConfig::AssignAddresses(frames), "");
    EXPECT_EQ(frames[0].address, "127.0.0.2");
    EXPECT_EQ(frames[1].address, "127.0.0.9");

    std::vector<FrameDescription> bad;
    EXPECT_EQ(RackConfig::ParseFile("frame model=K5A\nframe model=K9\n", bad).substr(0, 7), "line 2:");
    FrameDescription description;
    EXPECT_NE(RackConfig::ApplyWords("name='has,comma'", description), "") << "a comma would split the reply";
    EXPECT_NE(RackConfig::ApplyWords("name='seventeen chars!'", description), "");
    EXPECT_NE(RackConfig::ApplyWords("cards=ad,ad,ad,ad,ad,ad,ad,ad,ad", description), "");
    EXPECT_NE(RackConfig::ApplyWords("name='open", description), "");
}

TEST(RackConfigTest, AddressesStayOnLoopbackAndDistinct) {
    std::vector<FrameDescription> frames(2);
    frames[0].address = "127.0.0.1";
    EXPECT_NE(RackConfig::AssignAddresses(frames), "") << "the console's own address";
    frames[0].address = "10.0.0.5";
    EXPECT_NE(RackConfig::AssignAddresses(frames), "") << "never off the machine";
    frames[0].address = "127.0.0.3";
    frames[1].address = "127.0.0.3";
    EXPECT_NE(RackConfig::AssignAddresses(frames), "");
    std::vector<FrameDescription> many = RackConfig::GeneratedRack(300);
    ASSERT_EQ(RackConfig::AssignAddresses(many), "");
    EXPECT_EQ(many[253].address, "127.0.1.1") << "x.x.x.0 and .255 are skipped";
}

}  // namespace
}  // namespace velmar::sim
