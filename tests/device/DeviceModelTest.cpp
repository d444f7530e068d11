#include <gtest/gtest.h>

#include "device/ChannelMap.h"
#include "device/DeviceModel.h"

namespace velmar {
namespace {

TEST(DeviceModel, ChannelCountFollowsMainVersionAndModelClass) {
    DeviceState state;
    state.ResetState();
    EXPECT_EQ(ChannelCount(state, ModelClass::Full), 1024);  // no version yet counts as 0

    state.config.swVer[1].versions[0].Assign("2.0.0.0");
    EXPECT_EQ(MainSoftwareVersion(state), 2000000);
    EXPECT_FALSE(IsNewFirmware(state));
    EXPECT_EQ(ChannelCount(state, ModelClass::Full), 1024);

    state.config.swVer[1].versions[0].Assign("2.0.0.1");
    EXPECT_EQ(ChannelCount(state, ModelClass::Full), 1536);
    EXPECT_EQ(ChannelCount(state, ModelClass::NoCards), 1024);
    EXPECT_EQ(ChannelCount(state, ModelClass::NoMatrix), 1024);

    // Only the first version text of position 2 counts.
    state.config.swVer[1].versions[1].Assign("9.9.9.9");
    state.config.swVer[2].versions[0].Assign("9.9.9.9");
    EXPECT_EQ(MainSoftwareVersion(state), 2000001);
}

TEST(DeviceModel, VersionNumberReadsLikeScanf) {
    EXPECT_EQ(VersionNumber("1.4.0.1"), 1040001);
    EXPECT_EQ(VersionNumber("1.2.0.2 beta"), 1020002);
    EXPECT_EQ(VersionNumber("3.1"), 3010000);  // missing parts count as 0
    EXPECT_EQ(VersionNumber(""), 0);
    EXPECT_EQ(VersionNumber("v2.0.0.1"), 0);
    EXPECT_EQ(VersionNumber("99999999999.1.1.1"), INT32_MAX);  // absurd text saturates, never overflows
}

TEST(DeviceModel, ModelClassFromTypeAndFromListRow) {
    EXPECT_EQ(ModelClassFromType("K5A"), ModelClass::Full);
    EXPECT_EQ(ModelClassFromType("LV16"), ModelClass::Full);
    EXPECT_EQ(ModelClassFromType("K5B"), ModelClass::NoCards);
    EXPECT_EQ(ModelClassFromType("LW16"), ModelClass::NoCards);
    EXPECT_EQ(ModelClassFromType("K5E"), ModelClass::NoMatrix);
    EXPECT_EQ(ModelClassFromType("XYZ"), ModelClass::Full);
    EXPECT_EQ(ModelClassFromListRow("K5A"), ModelClass::Full);
    EXPECT_EQ(ModelClassFromListRow(""), ModelClass::NoCards);
    EXPECT_EQ(ModelClassFromListRow("XYZ"), ModelClass::NoCards);
    EXPECT_EQ(ModelClassFromListRow("K5E"), ModelClass::NoMatrix);
}

TEST(DeviceModel, CardKindNeedsBoardTypeAndCodePrefix) {
    DeviceState state;
    state.ResetState();
    BoardConfig& position10 = state.config.hwConf[9];
    position10.boardCode.Assign("K5A013-B");
    EXPECT_EQ(CardKind(state, 2), CardType::None);  // board type 0: no board
    position10.boardType = 4;
    EXPECT_EQ(CardKind(state, 2), CardType::Ad);
    state.config.hwConf[15] = {16, 1, {}, {}};
    state.config.hwConf[15].boardCode.Assign("K5A025");
    EXPECT_EQ(CardKind(state, 8), CardType::MadiHotlink);
    state.config.hwConf[8] = {9, 1, {}, {}};
    state.config.hwConf[8].boardCode.Assign("K5A02");  // too short to match
    EXPECT_EQ(CardKind(state, 1), CardType::None);
    EXPECT_EQ(CardKind(state, 0), CardType::None);
    EXPECT_EQ(CardKind(state, 9), CardType::None);
}

TEST(ChannelMap, LocatesEveryInterface) {
    const ChannelLocation where = LocateChannel(1100);
    EXPECT_EQ(where.interface, Interface::Card);
    EXPECT_EQ(where.card, 2);
    EXPECT_EQ(where.index, 76);
}

TEST(DeviceModel, StatusTexts) {
    EXPECT_EQ(SyncSourceName(1), "Internal");
    EXPECT_EQ(SyncSourceName(12), "AES 8");
    EXPECT_EQ(SyncSourceName(18), "IP");
    EXPECT_EQ(SyncSourceName(0), "Error");
    EXPECT_EQ(SyncSourceName(19), "Error");
    EXPECT_EQ(SampleRateName(2), "48 kHz");
    EXPECT_EQ(SampleRateName(10), "DSD 128");
    EXPECT_EQ(SampleRateName(11), "Error");
    EXPECT_EQ(UnitStatusText(2, 1, 0), "");  // PSU 1 not fitted
    EXPECT_EQ(UnitStatusText(2, 2, 0), "OK");
    EXPECT_EQ(UnitStatusText(2, 2, 3), "Faulty");
}

TEST(DeviceState, ResetClearsEverythingButPresetsPorts) {
    DeviceState state;
    state.live.fanStatus[1] = 2;
    state.config.inputLabels[3].Assign("Mic");
    state.live.scr.Assign("abc");
    state.config.cards[2].kind = CardType::Da;
    state.ResetState();
    EXPECT_EQ(state.live.fanStatus[1], 0);
    EXPECT_TRUE(state.config.inputLabels[3].Empty());
    EXPECT_TRUE(state.live.scr.Empty());
    EXPECT_EQ(state.config.cards[2].kind, CardType::None);
    for (int p = 0; p < 3; ++p) {
        EXPECT_EQ(state.config.madiIn[static_cast<std::size_t>(p)].port, p + 1);
        EXPECT_EQ(state.config.madiOut[static_cast<std::size_t>(p)].port, p + 1);
    }
    EXPECT_EQ(state.config.optMode[0].index, 1);
    EXPECT_EQ(state.config.optMode[1].index, 2);
}

TEST(DeviceState, TextFieldKeepsItsTerminator) {
    TextField<7> type;
    type.Assign("ABCDEFGHIJ");
    EXPECT_EQ(type.View(), "ABCDEF");
    type.Assign("");
    EXPECT_TRUE(type.Empty());
}

}  // namespace
}  // namespace velmar
