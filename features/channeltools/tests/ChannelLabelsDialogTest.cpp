#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "features/channeltools/tests/ChannelToolsFixture.h"
#include "features/channeltools/view/ChannelLabelsDialog.h"
#include "tools/ChannelFindBox.h"
#include "widgets/EditableGrid.h"

namespace velmar::test {
namespace {

class Labels : public ChannelToolsFixture {};

TEST_F(Labels, ListsTheToolChannelsAndClearsOnlyThose) {
    Connect(ModelClass::NoCards, false);
    ChannelLabelsDialog::RequestLabels(session);
    const std::vector<std::string> runs = Sent();
    ASSERT_EQ(runs.size(), 32u);
    EXPECT_EQ(runs.front(), "?llabel,0,513,32");
    EXPECT_EQ(runs.back(), "?llabel,1,993,32");

    ChannelLabelsDialog dialog(session, prompter, nullptr);
    EditableGrid& list = *dialog.List();
    ASSERT_EQ(list.rowCount(), 512);
    EXPECT_EQ(list.Text(0, 0), "AES 01");  // named as every other view names channel 513
    EXPECT_FALSE(dialog.DefaultAllButton()->isVisibleTo(&dialog));
    Reply(":llabel,0,1,513,2,'DEST-513','DEST-514'");
    Reply(":glabel,0,0,100,'Not listed'");
    EXPECT_EQ(list.Text(1, 2), "DEST-514");

    prompter.answers = {true};
    dialog.ClearAll();
    EXPECT_EQ(prompter.asked.back(), "Channel labels: Clear all labels\n\n127.0.0.2");
    const std::vector<std::string> cleared = Sent();
    ASSERT_EQ(cleared.size(), 1024u);
    EXPECT_EQ(cleared.front(), "&slabel,0,513,''");
    EXPECT_EQ(cleared[512], "&slabel,1,513,''");
    // Sent is not shown: the list follows the frame's reports.
    EXPECT_EQ(list.Text(1, 2), "DEST-514");
}

TEST_F(Labels, ApplySendsWhatWasEditedAndTypingRefusesWhatTheLineCannotCarry) {
    Connect(ModelClass::Full, true);
    Reply(":llabel,0,0,1,2,'Kick','Snare'");
    ChannelLabelsDialog dialog(session, prompter, nullptr);
    dialog.show();
    EXPECT_TRUE(dialog.DefaultAllButton()->isVisible());
    dialog.List()->setCurrentCell(1, 0);
    EXPECT_EQ(dialog.InputField()->text(), "Snare");

    dialog.OutputField()->setFocus();
    QTest::keyClicks(dialog.OutputField(), "Mon,");
    EXPECT_EQ(dialog.Notice()->text(), "A label may not contain a comma. Not taken.");
    QTest::keyClicks(dialog.OutputField(), "2");
    EXPECT_EQ(dialog.OutputField()->text(), "Mon2");
    EXPECT_EQ(dialog.Notice()->text(), "4 of 16 bytes");
    QTest::keyClicks(dialog.OutputField(), "0123456789ABCDEF");
    EXPECT_EQ(dialog.OutputField()->text(), "Mon20123456789AB");  // 16 bytes, then no more
    dialog.Apply();
    EXPECT_EQ(Sent(), (std::vector<std::string>{"&slabel,1,2,'Mon20123456789AB'"}));

    // Windows-1252 like every frame text: the frame's 0x80 is the euro sign, and back.
    Reply(
        ":glabel,0,0,1,'\x80"
        "5'");
    dialog.List()->setCurrentCell(0, 0);
    EXPECT_EQ(dialog.InputField()->text(), QStringLiteral(u"\u20ac5"));
    dialog.InputField()->setText(QStringLiteral(u"\u20ac6"));
    dialog.Apply();
    EXPECT_EQ(Sent(), (std::vector<std::string>{"&slabel,0,1,'\x80"
                                                "6'"}));

    prompter.answers = {true};
    dialog.DefaultAll();
    const std::vector<std::string> defaults = Sent();
    ASSERT_EQ(defaults.size(), 3072u);
    EXPECT_EQ(defaults[6], "&slabel,0,7,'SOURCE-0007'");
    EXPECT_EQ(defaults.back(), "&slabel,1,1536,'DESTINATION-1536'");
}

// The find box walks the matches of a channel name or either label, wrapping round; Enter there
// goes on to the next match and never presses one of the window's buttons.
TEST_F(Labels, FindGoesFromMatchToMatchAndEnterPressesNoButton) {
    Connect(ModelClass::Full, true);
    Reply(":llabel,0,0,1,2,'Kick','Snare'");
    Reply(":glabel,0,1,700,'kick wedge'");
    ChannelLabelsDialog dialog(session, prompter, nullptr);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    ChannelFindBox& find = *dialog.FindBox();
    const auto current = [&] { return dialog.List()->currentRow(); };

    QTest::keyClick(&dialog, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(find.hasFocus());
    QTest::keyClicks(&find, "KICK");
    EXPECT_EQ(current(), 0);
    EXPECT_EQ(dialog.InputField()->text(), "Kick");
    EXPECT_EQ(find.Hits()->text(), "1 of 2");
    QTest::keyClick(&find, Qt::Key_Return);
    EXPECT_EQ(current(), 699);
    EXPECT_EQ(dialog.OutputField()->text(), "kick wedge");
    EXPECT_EQ(find.Hits()->text(), "2 of 2");
    QTest::keyClick(&find, Qt::Key_F3);
    EXPECT_EQ(current(), 0);
    QTest::keyClick(&find, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(current(), 699);
    EXPECT_TRUE(prompter.asked.empty());
    EXPECT_TRUE(Sent().empty());
    EXPECT_TRUE(dialog.isVisible());

    find.clear();
    QTest::keyClicks(&find, "madi 5");  // the name, however spaced and padded
    EXPECT_EQ(dialog.List()->Text(current(), 0), "MADI 05");
    QTest::keyClicks(&find, "x");
    EXPECT_EQ(find.Hits()->text(), "no match");
    EXPECT_EQ(dialog.List()->Text(current(), 0), "MADI 05");
    QTest::keyClick(&find, Qt::Key_Escape);  // empties the box; the window stays
    EXPECT_TRUE(find.text().isEmpty());
    EXPECT_TRUE(dialog.isVisible());
}

// As a window system delivers it: the second press comes before the double-click event.
void DoubleClickCell(EditableGrid& grid, int row, int column) {
    QWidget* viewport = grid.viewport();
    const QPoint at = grid.visualRect(grid.model()->index(row, column)).center();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
    QTest::mousePress(viewport, Qt::LeftButton, {}, at);
    QMouseEvent twice(QEvent::MouseButtonDblClick, at, viewport->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &twice);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
}

TEST_F(Labels, ACellEditedInPlaceSendsWhatWasTypedHoweverTheEditEnds) {
    Connect(ModelClass::Full, false);
    ChannelLabelsDialog dialog(session, prompter, nullptr);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    EditableGrid& list = *dialog.List();

    DoubleClickCell(list, 0, 1);
    ASSERT_TRUE(list.IsEditing());
    QTest::keyClicks(list.Editor(), "Vocal 1");
    QTest::keyClick(list.Editor(), Qt::Key_Return);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"&slabel,0,1,'Vocal 1'"}));

    DoubleClickCell(list, 1, 1);
    QTest::keyClicks(list.Editor(), "Vocal 2");
    QTest::keyClick(list.Editor(), Qt::Key_Tab);  // on to the output cell of the same channel
    EXPECT_EQ(Sent(), (std::vector<std::string>{"&slabel,0,2,'Vocal 2'"}));
    ASSERT_TRUE(list.IsEditing());
    QTest::keyClicks(list.Editor(), "Wedge 2");
    const QPoint otherRow = list.visualRect(list.model()->index(5, 0)).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, otherRow);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"&slabel,1,2,'Wedge 2'"}));

    // Escape, and an edit that changed nothing, send nothing.
    DoubleClickCell(list, 2, 1);
    QTest::keyClicks(list.Editor(), "Dropped");
    QTest::keyClick(list.Editor(), Qt::Key_Escape);
    DoubleClickCell(list, 2, 2);
    QTest::keyClick(list.Editor(), Qt::Key_Return);
    EXPECT_TRUE(Sent().empty());
}

// The window tells what became of its own requests, in its notice line and the event log: a
// refusal with its status, silence as unanswered. Other replies on the link are not its answers.
TEST_F(Labels, TellsWhatBecameOfItsOwnRequests) {
    using namespace std::chrono_literals;
    Connect(ModelClass::Full, false);
    std::vector<ConsoleNotice> log;
    const Subscription logged =
        session.Events().Subscribe<ConsoleNotice>([&](const ConsoleNotice& e) { log.push_back(e); });
    ChannelLabelsDialog dialog(session, prompter, nullptr);
    dialog.List()->setCurrentCell(4, 0);
    const auto apply = [&](const QString& text) {
        dialog.InputField()->setText(text);
        dialog.Apply();
        return Sent();
    };

    ASSERT_EQ(apply(QStringLiteral("Vocals")), std::vector<std::string>{"&slabel,0,5,'Vocals'"});
    Reply(":slabel,0,0,6,'Bass'");  // somebody else's label
    EXPECT_TRUE(log.empty());
    Reply(":slabel,-3,0,5");
    EXPECT_EQ(dialog.Notice()->text(),
              "Channel labels: the frame refused slabel 0 5 (status -3); 0 of 1 answered.");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log.back().level, NoticeLevel::Warning);

    ASSERT_EQ(apply(QStringLiteral("Drums")).size(), 1u);
    for (int beat = 0; beat < 6; ++beat) {  // the link stays up; the label is never answered
        timers.Advance(4000ms);
        Reply(":gactrate,0,2");
    }
    EXPECT_EQ(dialog.Notice()->text(), "Channel labels: no answer to slabel 0 5; 0 of 1 answered.");
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log.back().level, NoticeLevel::Error);

    Sent();  // the poll and keep-alive of those seconds
    ASSERT_EQ(apply(QStringLiteral("Keys")).size(), 1u);
    Reply(":slabel,0,0,5,'Keys'");
    EXPECT_EQ(dialog.Notice()->text(), "Channel labels: the frame took slabel 0 5.");
    EXPECT_EQ(log.back().level, NoticeLevel::Info);
}

}  // namespace
}  // namespace velmar::test
