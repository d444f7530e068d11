#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "features/channeltools/tests/ChannelToolsFixture.h"
#include "features/channeltools/view/ChannelTableModel.h"
#include "features/channeltools/view/GainDialog.h"
#include "tools/ChannelFindBox.h"

namespace velmar::test {
namespace {

class Gains : public ChannelToolsFixture {
  protected:
    QString Cell(GainDialog& dialog, int row, int column) {
        return dialog.Model()->data(dialog.Model()->index(row, column), Qt::DisplayRole).toString();
    }
    void Select(GainDialog& dialog, std::initializer_list<int> rows) {
        for (int row : rows)
            dialog.List()->selectionModel()->select(dialog.Model()->index(row, 0),
                                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
};

TEST_F(Gains, ClearingNeedsTheServiceOptionAndClearsInputBeforeOutput) {
    Connect(ModelClass::Full, false);
    GainDialog plain(session, prompter, nullptr);
    EXPECT_EQ(Cell(plain, 64, 0), "CARD2 01");
    EXPECT_FALSE(plain.ClearAllButton()->isEnabled());
    Select(plain, {0});
    EXPECT_FALSE(plain.OffersClearMenu());
    plain.ClearAll();
    EXPECT_TRUE(Sent().empty());

    Connect(ModelClass::Full, true);
    GainDialog service(session, prompter, nullptr);
    EXPECT_TRUE(service.ClearAllButton()->isEnabled());
    EXPECT_FALSE(service.OffersClearMenu());  // nothing selected
    Select(service, {9, 2, 4});
    ASSERT_TRUE(service.OffersClearMenu());
    prompter.answers = {true};
    service.ClearSelected();
    EXPECT_EQ(prompter.asked.back(), "Gain settings: Clear selected channels");
    EXPECT_EQ(Sent(), (std::vector<std::string>{"&sgain,0,3,0.00,0,0", "&sgain,1,3,0.00,0,0",
                                                "&sgain,0,5,0.00,0,0", "&sgain,1,5,0.00,0,0",
                                                "&sgain,0,10,0.00,0,0", "&sgain,1,10,0.00,0,0"}));
    prompter.answers = {false};
    service.ClearAll();
    EXPECT_TRUE(Sent().empty());
}

TEST_F(Gains, ReportsRewriteTheirRowOnFramesWithAnOffset) {
    Connect(ModelClass::NoCards, false);
    GainDialog::RequestGains(session);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"?lgain,0,513,512", "?lgain,1,513,512"}));
    GainDialog dialog(session, prompter, nullptr);
    ASSERT_EQ(dialog.Model()->rowCount(), 512);
    EXPECT_EQ(Cell(dialog, 0, 0), "AES 01");
    Reply(":ggain,0,0,513,-12.50,1,0");
    Reply(":ggain,0,1,513,0.05,0,1");
    Reply(":ggain,0,0,100,-3.00,1,1");  // not listed: stored only
    EXPECT_EQ(Cell(dialog, 0, 1), "-12.50");
    EXPECT_EQ(Cell(dialog, 0, 2), "yes");  // first flag word: phase
    EXPECT_EQ(Cell(dialog, 0, 3), "no");   // second: mute
    EXPECT_EQ(Cell(dialog, 0, 4), "0.05");
    EXPECT_EQ(Cell(dialog, 0, 6), "yes");
    EXPECT_EQ(dialog.Model()->RowOf(100), -1);

    // Found by its label, on the rows this frame lists.
    Reply(":glabel,0,0,600,'Choir L'");
    Reply(":glabel,0,0,100,'Choir R'");  // not listed
    QTest::keyClicks(dialog.FindBox(), "choir");
    EXPECT_EQ(dialog.List()->currentIndex().row(), dialog.Model()->RowOf(600));
    EXPECT_EQ(dialog.FindBox()->Hits()->text(), "1 of 1");
}

}  // namespace
}  // namespace velmar::test
