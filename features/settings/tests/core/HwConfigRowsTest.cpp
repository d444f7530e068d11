#include <gtest/gtest.h>

#include "features/settings/core/HwConfigRows.h"

namespace velmar {
namespace {

void Board(ConfigBlock& config, std::int32_t position, std::int32_t type, std::string_view code,
           std::string_view info) {
    BoardConfig& board = config.hwConf[static_cast<std::size_t>(position - 1)];
    board.boardType = type;
    board.boardCode.Assign(code);
    board.boardInfo.Assign(info);
}

TEST(HwConfigRows, SoftwareVersionsStopAtTheFirstIncompletePair) {
    SoftwareVersions versions;
    EXPECT_EQ(SoftwareVersionsText(versions), "");
    versions.names[0].Assign("Main");
    versions.versions[0].Assign("2.1.0.3");
    versions.names[1].Assign("FPGA");
    versions.versions[1].Assign("1.7");
    versions.names[3].Assign("Boot");  // after a gap: not shown
    versions.versions[3].Assign("1.0");
    EXPECT_EQ(SoftwareVersionsText(versions), "Main: 2.1.0.3 | FPGA: 1.7");
    versions.versions[1].Assign("");
    EXPECT_EQ(SoftwareVersionsText(versions), "Main: 2.1.0.3");
}

TEST(HwConfigRows, TheWindowListsEverySlotAndThePageOnlyWhatTheFrameHas) {
    ConfigBlock config;
    Board(config, 2, 1, "K5A001-03", "K5A0010001");
    Board(config, 3, 0, "left over", "");  // no optional module
    Board(config, 10, 2, "K5A013-02", "AD-17");
    Board(config, 11, 0, "K5A023-01", "stale");  // a slot that has emptied
    config.swVer[9].names[0].Assign("AD");
    config.swVer[9].versions[0].Assign("1.2");

    const std::vector<HwConfigRow> window = HwConfigRows(config, HwConfigPlace::Window, false);
    ASSERT_EQ(window.size(), 14u);
    EXPECT_EQ(window[0].module, "Main board");
    EXPECT_EQ(window[1].module, "Optional");
    EXPECT_EQ(window[1].type, "left over") << "the window always shows the optional module's texts";
    EXPECT_EQ(window[3].module, "Card slot 2");
    EXPECT_EQ(window[3].position, 10);
    EXPECT_EQ(window[3].type, "K5A013-02");
    EXPECT_EQ(window[3].serial, "AD-17");
    EXPECT_EQ(window[3].versions, "AD: 1.2");
    EXPECT_EQ(window[4].type, "") << "an empty slot shows its name alone";
    EXPECT_EQ(window[11].module, "Brooklyn II");
    EXPECT_FALSE(window[11].present);
    EXPECT_EQ(window[11].type + window[11].serial + window[11].versions, "");
    EXPECT_EQ(window[13].module, "PSU 2");

    const std::vector<HwConfigRow> page = HwConfigRows(config, HwConfigPlace::EditorPage, true);
    ASSERT_EQ(page.size(), 14u);
    EXPECT_TRUE(page[0].present);
    EXPECT_FALSE(page[1].present);
    EXPECT_EQ(page[1].type, "") << "the page shows only boards that are present";

    const std::vector<HwConfigRow> noSlots = HwConfigRows(config, HwConfigPlace::EditorPage, false);
    ASSERT_EQ(noSlots.size(), 6u);
    EXPECT_EQ(noSlots[2].module, "Front panel");
}

}  // namespace
}  // namespace velmar
