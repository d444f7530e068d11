#include <QAbstractButton>
#include <QButtonGroup>
#include <QPushButton>
#include <QTableWidget>

#include "features/channeltools/tests/ChannelToolsFixture.h"
#include "features/channeltools/view/InputStatusWindow.h"

namespace velmar::test {
namespace {

class InputStatus : public ChannelToolsFixture {
  protected:
    QString MainCell(InputStatusWindow& window, int row, int column) {
        return window.MainList()->item(row, column)->text();
    }
    static bool Marked(QTableWidget& list, int row, int column) {
        return list.item(row, column)->data(Qt::BackgroundRole).isValid();
    }
};

TEST_F(InputStatus, FollowsTheFrameWhileHiddenAndNeverShowsAnEarlierFramesValues) {
    Connect(ModelClass::Full, false);
    InputStatusWindow window(session, nullptr);
    window.show();
    EXPECT_EQ(MainCell(window, 11, 0), "SFP 1");
    EXPECT_EQ(MainCell(window, 11, 3), "unknown");  // nothing reported yet

    window.findChild<QPushButton*>()->click();  // "Close" hides, the window stays
    EXPECT_FALSE(window.isVisible());
    Reply(":gmaininpstatus,0,12,ESa");
    Reply(":goptred,0,1,0");
    Reply(":goptinact,0,2,1");
    Reply(":gmaininpstatus,0,13,--A");
    window.show();
    EXPECT_EQ(MainCell(window, 11, 1), "error");
    EXPECT_EQ(MainCell(window, 11, 3), "no");
    EXPECT_EQ(MainCell(window, 12, 3), "yes *");
    // Errors stand out; an input that is simply not active does not.
    EXPECT_TRUE(Marked(*window.MainList(), 11, 1));
    EXPECT_TRUE(Marked(*window.MainList(), 11, 2));
    EXPECT_FALSE(Marked(*window.MainList(), 11, 3));
    EXPECT_FALSE(Marked(*window.MainList(), 12, 1));

    // Another frame: what the first one reported is gone at once.
    Connect(ModelClass::Full, false);
    EXPECT_EQ(MainCell(window, 11, 3), "unknown");
    EXPECT_EQ(MainCell(window, 11, 1), "unknown");
    EXPECT_FALSE(Marked(*window.MainList(), 11, 1));
}

TEST_F(InputStatus, CardListsFollowTheRadiosAndTheModelClass) {
    Connect(ModelClass::Full, false);
    Reply(":ghwconf,0,10,1,'K5A013','AD card'");
    Reply(":ghwconf,0,13,1,'K5A013','AD card'");
    InputStatusWindow window(session, nullptr);
    window.SelectCardType(InputCardType::Ad);
    ASSERT_EQ(window.CardList()->rowCount(), 16);
    EXPECT_EQ(window.CardList()->item(0, 0)->text(), "Slot 2 - 1");
    EXPECT_EQ(window.CardList()->item(15, 0)->text(), "Slot 5 - 8");
    Reply(":gadsigdet,0,5,8,1");
    EXPECT_EQ(window.CardList()->item(15, 1)->text(), "yes");
    EXPECT_EQ(window.CardList()->item(15, 2)->text(), "no");
    EXPECT_FALSE(Marked(*window.CardList(), 15, 2));
    Reply(":gadovldet,0,5,8,1");
    EXPECT_EQ(window.CardList()->item(15, 2)->text(), "yes");
    EXPECT_TRUE(Marked(*window.CardList(), 15, 2));
    EXPECT_EQ(window.CardList()->item(14, 1)->text(), "unknown");
    EXPECT_TRUE(window.CardList()->isEnabled());

    Connect(ModelClass::NoCards, false);
    EXPECT_EQ(window.CardList()->rowCount(), 0);
    EXPECT_FALSE(window.CardList()->isEnabled());
    for (QAbstractButton* radio : window.CardTypes()->buttons())
        EXPECT_FALSE(radio->isEnabled());
}

}  // namespace
}  // namespace velmar::test
