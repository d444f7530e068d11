#include <gtest/gtest.h>

#include <QComboBox>

#include "features/settings/core/CardRequests.h"
#include "features/settings/tests/core/CardTestSupport.h"
#include "features/settings/view/CardConfigPage.h"
#include "tests/console/ConsoleTestSupport.h"
#include "widgets/EditableGrid.h"

namespace velmar {
namespace {

using test::Card;
using test::FitCard;

class CardConfigPageTest : public ::testing::Test {
  protected:
    CardConfigPageTest() {
        FitCard(config, 1, CardType::Ad, "K5A013-02xyz");
        Card(config, 1).mode = 1;
        FitCard(config, 2, CardType::Da, "K5A023-01");
        FitCard(config, 3, CardType::MadiHotlink, "K5A025-01");
        Card(config, 3).mode = 1;
        FitCard(config, 4, CardType::None, "K5A099-07");  // a card this console does not know
        page.LoadControls(config, true);
        page.resize(640, 520);
        page.show();
    }

    // Opens the value editor on the row named `name` and picks `entry` (-1: no entry).
    bool Edit(std::string_view name, int entry, bool commit = true) {
        const int row = page.GridRow(name);
        if (!page.Grid().EditCell(row, 2))
            return false;
        auto* list = qobject_cast<QComboBox*>(page.Grid().Editor());
        if (list == nullptr)
            return false;
        list->setCurrentIndex(entry);
        page.Grid().EndEdit(commit);
        return true;
    }
    static QColor Background(EditableGrid& grid, int row) {
        const QImage image = grid.viewport()->grab().toImage();
        const QRect cell = grid.visualRect(grid.model()->index(row, 0));
        return image.pixelColor(cell.right() - 2, cell.center().y());
    }
    QString Value(std::string_view name) { return page.Grid().Text(page.GridRow(name), 2); }
    ConfigBlock Stored() {
        ConfigBlock out = config;
        page.StoreInto(out);
        return out;
    }

    bool application = (test::EnsureApplication(), true);
    ConfigBlock config;
    CardConfigPage page{true};
};

TEST_F(CardConfigPageTest, TheCardListShowsEverySlotAndAClickChoosesWhatTheGridShows) {
    EditableGrid& list = page.CardList();
    ASSERT_EQ(list.rowCount(), 8);
    EXPECT_EQ(list.Text(0, 1), "K5A013-02") << "the first nine characters of the board code";
    EXPECT_EQ(list.Text(0, 2), "AD converter");
    EXPECT_EQ(list.Text(3, 1), "K5A099-07");
    EXPECT_EQ(list.Text(3, 2), "");
    EXPECT_FALSE(page.Grid().isEnabled());

    page.SelectSlot(1);
    EXPECT_TRUE(page.Grid().isEnabled());
    EXPECT_EQ(page.Grid().rowCount(), 48);
    EXPECT_EQ(Background(list, 0), QColor(0, 255, 0));

    page.SelectSlot(4);
    EXPECT_FALSE(page.Grid().isEnabled()) << "a card the page does not know is not edited";
    EXPECT_EQ(page.Grid().rowCount(), 0);
    EXPECT_EQ(Background(list, 0), list.palette().color(QPalette::Base));
    EXPECT_EQ(Background(list, 3), QColor(0, 255, 0));
    page.SelectSlot(6);
    EXPECT_FALSE(page.Grid().isEnabled());
    EXPECT_EQ(page.Grid().rowCount(), 0);

    CardConfigPage noSlots{false};
    noSlots.LoadControls(config, false);
    EXPECT_FALSE(noSlots.CardList().isEnabled());
    EXPECT_EQ(noSlots.CardList().rowCount(), 0);
}

TEST_F(CardConfigPageTest, EditsReachTheCardsAndSurviveSwitchingCards) {
    page.SelectSlot(1);
    ASSERT_TRUE(Edit("3:Phantom power", 1));
    EXPECT_EQ(Value("3:Phantom power"), "on");
    EXPECT_FALSE(page.Grid().EditCell(page.GridRow("3:Mic clipping level"), 2)) << "levels are shown only";
    page.SelectSlot(2);
    ASSERT_TRUE(Edit("5:DSD filter", 1));
    EXPECT_EQ(Value("1:DSD filter"), "enable") << "the card's one filter shows on every channel";
    page.SelectSlot(1);
    EXPECT_EQ(Value("3:Phantom power"), "on");

    const CardApplyPlan plan = PlanCardRequests(config, Stored());
    EXPECT_EQ(plan.requests, (std::vector<CardRequest>{{CommandCode::sadphanpow, 1, 3, 0},
                                                       {CommandCode::sdadsdfilter, 2, 0, 0}}));
}

TEST_F(CardConfigPageTest, NoChoiceAnEscapeOrARefillKeepsTheStoredValue) {
    page.SelectSlot(1);
    ASSERT_TRUE(Edit("2:State", -1));
    ASSERT_TRUE(Edit("4:State", 1, false));
    EXPECT_EQ(Value("2:State"), "unmute");
    EXPECT_EQ(Value("4:State"), "unmute");

    // An edit open while the page is loaded again (a settings file) goes with the old rows.
    ASSERT_TRUE(page.Grid().EditCell(page.GridRow("1:State"), 2));
    qobject_cast<QComboBox*>(page.Grid().Editor())->setCurrentIndex(1);
    page.LoadControls(config, true);
    page.SelectSlot(1);
    EXPECT_EQ(Value("1:State"), "unmute");
    EXPECT_EQ(Stored().cards[0].ad[0].mute, 0);
}

TEST_F(CardConfigPageTest, HotlinkClosesTheMadiRowsAtOnce) {
    page.SelectSlot(3);
    ASSERT_TRUE(page.Grid().EditCell(page.GridRow("1:Output channel count"), 2));
    page.Grid().EndEdit(false);
    ASSERT_TRUE(Edit("both:Interface type", 2));
    EXPECT_EQ(Value("both:Interface type"), "hotlink");
    EXPECT_FALSE(page.Grid().EditCell(page.GridRow("1:Output channel count"), 2));
    EXPECT_EQ(Value("1:Output channel count"), "");
    EXPECT_EQ(Value("1:Input mode / sample rate"), "internal");
    ASSERT_TRUE(Edit("1:Input mode / sample rate", 1));
    EXPECT_EQ(PlanCardRequests(config, Stored()).requests,
              (std::vector<CardRequest>{{CommandCode::scifmode, 3, 0, 0},
                                        {CommandCode::schlinkinmode, 3, 0, 0},
                                        {CommandCode::schlinkoutmode, 3, 0, 0}}));
}

}  // namespace
}  // namespace velmar
