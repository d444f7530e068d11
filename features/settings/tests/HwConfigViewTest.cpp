#include <gtest/gtest.h>

#include <QPushButton>

#include "features/settings/view/HwConfigView.h"
#include "features/settings/view/HwConfigWindow.h"
#include "tests/console/ConsoleTestSupport.h"

namespace velmar {
namespace {

ConfigBlock TwoBoards() {
    ConfigBlock config;
    BoardConfig& main = config.hwConf[1];
    main.boardType = 1;
    main.boardCode.Assign("K5A001-03");
    main.boardInfo.Assign("K5A0010001");
    config.swVer[1].names[0].Assign("Main");
    config.swVer[1].versions[0].Assign("2.1.0.3");
    config.swVer[1].names[1].Assign("FPGA");
    config.swVer[1].versions[1].Assign("1.7");
    BoardConfig& card = config.hwConf[9];  // slot 2
    card.boardType = 2;
    card.boardCode.Assign("K5A013-\xE9");  // an 8-bit frame text
    return config;
}

QString Cell(const QTableWidget& table, int row, int column) {
    const QTableWidgetItem* item = table.item(row, column);
    return item != nullptr ? item->text() : QString();
}

TEST(HwConfigView, TheWindowListsEverySlotPlainAndThePageColoursWhatIsPresent) {
    test::EnsureApplication();
    const ConfigBlock config = TwoBoards();
    HwConfigWindow window(config);
    window.show();
    EXPECT_EQ(window.windowTitle(), "HW configuration");
    const HwConfigView& list = window.View();
    ASSERT_EQ(list.rowCount(), 14);
    EXPECT_EQ(list.horizontalHeaderItem(3)->text(), "SW versions");
    EXPECT_EQ(Cell(list, 0, 3), "Main: 2.1.0.3 | FPGA: 1.7");
    EXPECT_EQ(Cell(list, 3, 0), "Card slot 2");
    EXPECT_EQ(Cell(list, 3, 1), QString::fromUtf8("K5A013-\u00E9"));
    EXPECT_EQ(Cell(list, 11, 0), "Brooklyn II");
    EXPECT_EQ(Cell(list, 11, 1) + Cell(list, 11, 2) + Cell(list, 11, 3), "");
    EXPECT_EQ(list.item(0, 0)->background().style(), Qt::NoBrush) << "the window colours nothing";
    EXPECT_FALSE(list.item(0, 1)->flags() & Qt::ItemIsEditable);
    window.reject();

    HwConfigView page;
    page.ShowPageRows(config, false);
    ASSERT_EQ(page.rowCount(), 6) << "no card slot rows on a frame without card slots";
    EXPECT_EQ(page.item(0, 2)->background().color(), QColor(0, 255, 0));
    EXPECT_EQ(page.item(1, 0)->background().style(), Qt::NoBrush) << "no optional module";
    page.ShowPageRows(config, true);
    ASSERT_EQ(page.rowCount(), 14);
    EXPECT_EQ(page.item(3, 0)->background().color(), QColor(0, 255, 0));
    EXPECT_EQ(page.item(4, 0)->background().style(), Qt::NoBrush);
}

}  // namespace
}  // namespace velmar
