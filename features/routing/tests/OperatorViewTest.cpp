#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QShortcut>
#include <QTreeView>
#include <QtTest/QTest>

#include "features/routing/core/RoutingUnit.h"
#include "features/routing/tests/RoutingFixture.h"
#include "features/routing/view/RoutingArea.h"
#include "features/routing/view/RoutingGrid.h"

namespace velmar {
namespace {

class OperatorView : public test::RoutingFixture {
  protected:
    OperatorView() : area(context, nullptr) {
        area.resize(1000, 700);
        area.show();
    }

    std::string InputText(int row) {
        return area.Status()
            .Model()
            .index(row, CrosspointListModel::kInputColumn)
            .data()
            .toString()
            .toStdString();
    }
    CrosspointGrid& Grid() { return area.Grid().Grid(); }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(Grid().viewport(), static_cast<Qt::Key>(key), modifiers);
    }

    RoutingArea area;
};

TEST_F(OperatorView, ARouteIsPendingUntilAnsweredAndRefusedWithItsStatus) {
    ConnectNewFrame();
    Reply(":scross,0,5,7,0,0");
    session.Feature<RoutingUnit>().SetCrosspoint(5, 9);
    EXPECT_EQ(InputText(0), "CARD1 07  \u2192 CARD1 09 (pending)");
    EXPECT_EQ(area.PendingText().toStdString(), "Waiting for the frame to answer: 1 crosspoint");
    Reply(":scross,-2,5,0,0,0");
    EXPECT_EQ(InputText(0), "CARD1 07");
    EXPECT_TRUE(area.PendingText().isEmpty());
    EXPECT_EQ(
        area.Notice().toStdString(),
        "The frame refused to feed CARD1 05 from CARD1 09 (status -2); it still feeds it from CARD1 07.");

    // A lost link answers nothing: nothing stays pending.
    session.Feature<RoutingUnit>().SetCrosspoint(6, 9);
    session.Disconnect();
    EXPECT_TRUE(area.PendingText().isEmpty());
}

TEST_F(OperatorView, TheListRevealsWhatThisConsoleChangedFindsAndShowsItsOrder) {
    ConnectNewFrame();
    for (int output = 1; output <= 400; ++output)
        Reply("%gcross," + std::to_string(output) + "," + std::to_string(output));
    session.Feature<RoutingUnit>().SetCrosspoint(600, 513);
    Reply(":scross,0,600,513,0,0");
    const QTreeView* view = area.Status().View();
    const int row = area.Status().Model().RowOf(600);
    ASSERT_EQ(row, 400);
    EXPECT_EQ(view->currentIndex().row(), row) << "the changed row is selected";
    EXPECT_TRUE(view->viewport()->rect().intersects(view->visualRect(view->currentIndex()))) << "and in view";

    EXPECT_TRUE(area.Status().Find("card1 10", false));
    EXPECT_EQ(area.Status().Model().OutputAt(view->currentIndex().row()), 10);
    EXPECT_TRUE(area.Status().Find("aes 1", false)) << "by input";
    EXPECT_EQ(area.Status().Model().OutputAt(view->currentIndex().row()), 600);
    EXPECT_FALSE(area.Status().Find("madi 60", false));

    EXPECT_TRUE(view->header()->isSortIndicatorShown());
    area.Status().HeaderClicked(CrosspointListModel::kInputColumn);
    EXPECT_EQ(view->header()->sortIndicatorSection(), CrosspointListModel::kInputColumn);
    area.Status().HeaderClicked(CrosspointListModel::kOutputColumn);
    EXPECT_EQ(view->header()->sortIndicatorSection(), CrosspointListModel::kOutputColumn);
}

TEST_F(OperatorView, UndoAndRedoTakeBackThisConsolesChangesUnlessTheFrameMovedOn) {
    ConnectNewFrame();
    Reply(":scross,0,612,513,0,0");
    const std::vector<Crosspoint> change{{612, 517}, {613, 518}};
    context.Send(change);  // no history in a bare context
    transport.TakeSent();
    EXPECT_FALSE(area.History().CanUndo());
    Reply(":scross,0,612,513,0,0");
    Reply(":scross,0,613,518,0,0");

    Grid().SetCursor(612, 517);
    Key(Qt::Key_Space);
    EXPECT_EQ(transport.TakeSent(), (std::vector<std::string>{"&scross,612,517,0,0"}));
    Reply(":scross,0,612,517,0,0");
    EXPECT_TRUE(area.Undo());
    EXPECT_EQ(transport.TakeSent(), (std::vector<std::string>{"&scross,612,513,0,0"}));
    Reply(":scross,0,612,513,0,0");
    EXPECT_TRUE(area.Redo());
    EXPECT_EQ(transport.TakeSent(), (std::vector<std::string>{"&scross,612,517,0,0"}));
    Reply(":scross,0,612,517,0,0");

    QStringList keys;
    for (const QShortcut* shortcut : area.findChildren<QShortcut*>())
        keys << shortcut->key().toString();
    EXPECT_TRUE(keys.contains("Ctrl+Z") && keys.contains("Ctrl+Shift+Z")) << keys.join(' ').toStdString();

    Reply("%gcross,612,520");  // another console
    EXPECT_FALSE(area.Undo());
    EXPECT_TRUE(transport.TakeSent().empty());
    EXPECT_EQ(
        area.Notice().toStdString(),
        "Not undone: MADI 20 is fed from AES 08 now, not AES 05; its routing changed on the frame since.");
}

TEST_F(OperatorView, TheGridRoutesDisconnectsCollapsesAndFinds) {
    ConnectNewFrame();
    Reply(":gswver,0,2,'Main','2.0.0.1'");
    area.Grid().Rebuild();
    const GridAxis& axis = Grid().Axis();
    ASSERT_FALSE(axis.Groups().empty());
    EXPECT_EQ(axis.Groups()[0].name, "AES") << "no card is fitted";

    ASSERT_TRUE(Grid().Find("MADI 20"));
    EXPECT_EQ(Grid().CursorOutput(), 612);
    Key(Qt::Key_Right);
    Key(Qt::Key_Return);
    transport.TakeSent();
    Reply(":scross,0,612," + std::to_string(Grid().CursorInput()) + ",0,0");
    Grid().SetCursor(612, 517);
    Key(Qt::Key_Space);
    EXPECT_EQ(transport.TakeSent(), (std::vector<std::string>{"&scross,612,517,0,0"}));
    Reply(":scross,0,612,517,0,0");
    Key(Qt::Key_Space);
    EXPECT_TRUE(transport.TakeSent().empty()) << "routed so already";

    prompter.answers = {true};
    Key(Qt::Key_Delete);
    EXPECT_EQ(prompter.asked.back(), "Crosspoint grid: Disconnect 1 crosspoint: MADI 20?");
    EXPECT_EQ(transport.TakeSent(), (std::vector<std::string>{"&scross,612,0,0,0"}));

    // A group collapses to its header line; finding a channel in it opens it again.
    const std::size_t lines = axis.Lines().size();
    const std::int32_t aesHeader = axis.GroupLineOf(513);
    Grid().ToggleGroup(aesHeader, true);
    EXPECT_EQ(axis.Lines().size(), lines - 16);
    EXPECT_EQ(axis.LineOf(513), -1);
    ASSERT_TRUE(Grid().Find("aes 3"));
    EXPECT_EQ(axis.Lines().size(), lines);
    EXPECT_EQ(Grid().CursorOutput(), 515);

    // Zoom keeps its bounds.
    Grid().SetCellSize(100);
    EXPECT_EQ(Grid().CellSize(), 32);
    Key(Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(Grid().CellSize(), 30);
}

TEST_F(OperatorView, LabelsStandBesideTheNamesAndAreFoundInTheListAndTheGrid) {
    ConnectNewFrame();
    Reply(":gswver,0,2,'Main','2.0.0.1'");
    area.Grid().Rebuild();
    Reply("%gcross,612,517");
    Reply("%gcross,613,518");
    Reply(":glabel,0,1,612,'Stage box 3'");
    Reply(":llabel,0,0,517,2,'Vocal','Caf\xE9'");
    const int row = area.Status().Model().RowOf(612);
    ASSERT_GE(row, 0);
    const QModelIndex output = area.Status().Model().index(row, CrosspointListModel::kOutputColumn);
    EXPECT_EQ(output.data().toString().toStdString(), "MADI 20  Stage box 3");
    EXPECT_EQ(InputText(row), "AES 05  Vocal");
    EXPECT_EQ(InputText(area.Status().Model().RowOf(613)), "AES 06  Caf\u00e9") << "8-bit labels decode once";

    EXPECT_TRUE(area.Status().Find("STAGE", false));
    EXPECT_EQ(area.Status().Model().OutputAt(area.Status().View()->currentIndex().row()), 612);
    ASSERT_TRUE(Grid().Find("stage b"));
    EXPECT_EQ(Grid().CursorOutput(), 612);
    EXPECT_EQ(Grid().CursorInput(), 517);
    // An input found by its label: its column, on the row of the output it feeds.
    ASSERT_TRUE(Grid().Find("caf\u00e9"));
    EXPECT_EQ(Grid().CursorInput(), 518);
    EXPECT_EQ(Grid().CursorOutput(), 613);
    EXPECT_FALSE(Grid().Find("drums"));
    EXPECT_FALSE(Grid().Find("  ")) << "blank finds nothing, not every label";
}

// The grid offers what the List tab offers: no empty slot, and a card's channels only on the
// sides the card has.
TEST_F(OperatorView, TheGridRoutesOnlyWhatTheFrameHas) {
    ConnectNewFrame();
    Reply(":ghwconf,0,14,1,'K5A0130001','ad card'");  // slot 6: an AD card, inputs only
    Reply(":ghwconf,0,20,0,'',''");                   // the last board: the card kinds are known
    area.Grid().Rebuild();
    area.Control().RebuildTypeSelectors();
    const GridAxis& axis = Grid().Axis();
    EXPECT_EQ(axis.LineOf(385), -1) << "CARD7 01: slot 7 is empty";
    EXPECT_EQ(axis.GroupLineOf(385), -1);
    EXPECT_FALSE(Grid().Find("CARD7 01"));
    EXPECT_EQ(axis.LineOf(977), -1) << "no interface owns it";
    ASSERT_GE(axis.LineOf(321), 0);
    EXPECT_EQ(area.Control().TypeSelector(RouteSide::Input)->findData(5) >= 0, true);
    EXPECT_EQ(area.Control().TypeSelector(RouteSide::Output)->findData(5), -1);

    Grid().SetCursor(385, 385);
    Key(Qt::Key_Space);
    Grid().SetCursor(321, 321);  // CARD6 01 as output: the card has none
    Key(Qt::Key_Space);
    EXPECT_TRUE(transport.TakeSent().empty());
    EXPECT_EQ(area.Notice().toStdString(), "Not sent: CARD6 01 is not an output of this frame.");
    Grid().SetCursor(649, 513);  // MADI 57 is an input, but the coax output carries 56
    Key(Qt::Key_Space);
    EXPECT_TRUE(transport.TakeSent().empty());
    EXPECT_EQ(area.Notice().toStdString(), "Not sent: MADI 57 is not an output of this frame.");
    Grid().SetCursor(612, 321);
    Key(Qt::Key_Space);
    EXPECT_EQ(transport.TakeSent(), (std::vector<std::string>{"&scross,612,321,0,0"}));
}

// An output still waiting for the frame: undo and new changes say so and send nothing, and the
// message goes once the frame has answered.
TEST_F(OperatorView, AnOutputWaitingForTheFrameIsSaidSoUntilAnswered) {
    ConnectNewFrame();
    Reply(":scross,0,612,513,0,0");
    Grid().SetCursor(612, 517);
    Key(Qt::Key_Space);
    EXPECT_EQ(transport.TakeSent(), (std::vector<std::string>{"&scross,612,517,0,0"}));

    EXPECT_FALSE(area.Undo());
    EXPECT_EQ(area.Notice().toStdString(),
              "Not undone: MADI 20 is still waiting for the frame to answer; try again once it has.");
    Grid().SetCursor(612, 518);
    Key(Qt::Key_Space);
    EXPECT_TRUE(transport.TakeSent().empty());
    EXPECT_EQ(area.Notice().toStdString(),
              "Not sent: MADI 20 is still waiting for the frame to answer its last change.");

    Reply(":scross,0,612,517,0,0");
    EXPECT_TRUE(area.Notice().isEmpty());
    EXPECT_TRUE(area.Undo());
    EXPECT_EQ(transport.TakeSent(), (std::vector<std::string>{"&scross,612,513,0,0"}));
    Reply(":scross,0,612,513,0,0");
    EXPECT_TRUE(area.Notice().isEmpty());
    EXPECT_TRUE(area.PendingText().isEmpty());
}

}  // namespace
}  // namespace velmar
