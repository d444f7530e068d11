#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>
#include <memory>

#include "features/ppm/view/PpmDialog.h"
#include "features/routing/tests/RoutingFixture.h"
#include "widgets/IpAddressEdit.h"

namespace velmar {
namespace {

class PpmWindow : public test::ToolWindowFixture {};

TEST_F(PpmWindow, PpmCreateUsesAndAdvancesTheNextStream) {
    PpmDialog dialog(session, prompter, nullptr);
    EXPECT_EQ(Sent(), std::vector<std::string>{"?lppmid"});
    for (int i = 0; i < 3; ++i)
        dialog.Create();
    EXPECT_EQ(Sent(), (std::vector<std::string>{"&sppmcreate,'10.0.0.152',10100,1,64,50,0",
                                                "&sppmcreate,'10.0.0.152',10101,2,64,50,0",
                                                "&sppmcreate,'10.0.0.152',10102,3,64,50,0"}));

    // "Create ...": the settings dialog checks its fields before it closes.
    PpmSettingsDialog settings(dialog.SettingsDefaults(), prompter, nullptr);
    settings.show();
    EXPECT_EQ(settings.IdField()->text(), "4");
    settings.IdField()->setText("7");
    settings.PortField()->setText("999");
    settings.accept();
    EXPECT_TRUE(settings.isVisible()) << "a port below 1000 keeps the dialog open";
    EXPECT_EQ(prompter.shown.back(), "Port must be a whole number from 1000 to 65535.");
    settings.PortField()->setText("12000");
    settings.ChannelsField()->setText("16");
    settings.PhaseBox()->setChecked(true);
    // An address with a part out of range is never taken as some other address.
    settings.AddressField()->clear();
    QTest::keyClicks(settings.AddressField(), "10.0.0.300");
    EXPECT_EQ(settings.AddressField()->text(), "10.0.0.300");
    EXPECT_FALSE(settings.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->isEnabled());
    settings.accept();
    EXPECT_TRUE(settings.isVisible());
    EXPECT_EQ(prompter.shown.back(), "IP address: \"300\" is not a number from 0 to 255.");
    settings.AddressField()->setText("10.0.0.152");
    settings.accept();
    EXPECT_FALSE(settings.isVisible());
    dialog.CreateFrom(settings.Values());
    dialog.Create();
    EXPECT_EQ(Sent(), (std::vector<std::string>{"&sppmcreate,'10.0.0.152',12000,7,16,50,1",
                                                "&sppmcreate,'10.0.0.152',12001,8,16,50,0"}));

    // A typo in a field stops the action after its message, which names the field by its label.
    dialog.RateField()->setText("5");
    dialog.Create();
    EXPECT_EQ(prompter.shown.back(), "Rate (ms) must be a whole number from 10 to 60000.");
    EXPECT_TRUE(Sent().empty());
    for (QLineEdit* field : {dialog.ChannelCountField(), dialog.RateField(), dialog.FirstChannelField()}) {
        const auto labels = dialog.findChildren<QLabel*>();
        EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [&](QLabel* label) {
            return label->buddy() == field && label->text() == field->accessibleName();
        })) << field->accessibleName().toStdString();
    }
    dialog.RateField()->setText("50");
    EXPECT_EQ(dialog.Next().id, 9u);
}

TEST_F(PpmWindow, PpmListFollowsTheReportsAndRefreshDropsStaleRows) {
    PpmDialog dialog(session, prompter, nullptr);
    Sent();
    Reply(":gppminfo,0,3,'10.0.0.152',10100,4,50,0,1");
    Reply(":gppminfo,0,4,'',10101,4,50,0,1");  // no address: no row
    Reply(":sppmcreate,0,'10.0.0.153',10102,5,8,20,1");
    QTreeWidget* list = dialog.StreamList();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(Row(list, 0), (QStringList{"3", "10.0.0.152", "10100", "4", "50", "0", "1"}));
    EXPECT_EQ(Row(list, 1), (QStringList{"5", "10.0.0.153", "10102", "8", "20", "1", "0"}));

    // A 1536-channel frame is asked with the extended words; the flag adds 2048.
    dialog.ShowAssignment(3);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"?gppmextchn,3,1", "?gppmextchn,3,2", "?gppmextchn,3,3",
                                                "?gppmextchn,3,4"}));
    Reply(":gppmextchn,0,3,2,1,10");
    Reply(":gppmextchn,0,3,1,0,17");
    Reply(":gppmextchn,0,9,1,0,17");  // no such stream
    EXPECT_EQ(Row(dialog.AssignmentList(), 0), (QStringList{"3", "17,2058,0,0"}));

    // Each selected stream flips its own state, the last selected row first.
    list->topLevelItem(0)->setSelected(true);
    list->topLevelItem(1)->setSelected(true);
    dialog.ToggleSelected();
    EXPECT_EQ(Sent(), (std::vector<std::string>{"&sppmenable,5,1", "&sppmenable,3,0"}));

    // Assigning 8 channels from 65 to a 4-channel stream sends four.
    list->topLevelItem(1)->setSelected(false);
    dialog.ChannelCountField()->setText("8");
    dialog.FirstChannelField()->setText("65");
    dialog.AssignSelected(false);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"&sppmchn,3,1,65", "&sppmchn,3,2,66", "&sppmchn,3,3,67",
                                                "&sppmchn,3,4,68"}));
    dialog.FirstChannelField()->setText("1535");
    dialog.AssignSelected(false);
    EXPECT_EQ(prompter.shown.back(),
              "First channel: the assignment would reach channel 1538; this frame has channels 1 to 1536.");
    EXPECT_TRUE(Sent().empty());

    Reply(":sppmdelete,0,3");
    EXPECT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(dialog.AssignmentList()->topLevelItemCount(), 0);
    Reply(":sppmenable,-1,5,1");
    EXPECT_EQ(dialog.Note()->text(), "The frame refused sppmenable (status -1).");

    dialog.Refresh();
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_EQ(dialog.Table().Streams().size(), 0u) << "stale streams go with their rows";
    EXPECT_EQ(Sent(), std::vector<std::string>{"?lppmid"});
}

TEST_F(PpmWindow, PpmPopupRemoveAndStreamsBeyondThirtyTwo) {
    PpmDialog dialog(session, prompter, nullptr);
    std::vector<std::string> notes;
    const Subscription noted = session.Events().Subscribe<ConsoleNotice>(
        [&](const ConsoleNotice& notice) { notes.push_back(notice.text); });
    Sent();
    std::unique_ptr<QMenu> popup(dialog.NewPopup());
    ASSERT_EQ(popup->actions().size(), 1);
    EXPECT_EQ(popup->actions().front()->text(), "Create ...");
    dialog.RemoveSelected();
    EXPECT_TRUE(prompter.asked.empty()) << "no selection: nothing asked";

    for (int id = 1; id <= 40; ++id)
        Reply(":gppminfo,0," + std::to_string(id) + ",'10.0.0.152',10100,2,50,0,0");
    EXPECT_EQ(dialog.StreamList()->topLevelItemCount(), 32) << "a frame holds 32 streams; no more are taken";
    EXPECT_EQ(notes,
              std::vector<std::string>{
                  "The frame reported more than 32 PPM streams; the streams beyond them are ignored."});
    dialog.Create();
    EXPECT_EQ(prompter.shown.back(), "The frame holds at most 32 PPM streams.");

    dialog.StreamList()->topLevelItem(0)->setSelected(true);
    dialog.StreamList()->topLevelItem(31)->setSelected(true);
    popup.reset(dialog.NewPopup());
    QStringList entries;
    for (QAction* action : popup->actions())
        entries << (action->isSeparator() ? "-" : action->text());
    EXPECT_EQ(entries, (QStringList{"Remove selected", "-", "Enable/Disable", "Assign channels",
                                    "Deassign channels", "-", "Create ..."}));
    Sent();
    prompter.answers = {false};
    dialog.RemoveSelected();
    EXPECT_TRUE(Sent().empty());
    prompter.answers = {true};
    dialog.RemoveSelected();
    EXPECT_EQ(prompter.asked.back(), ": ARE YOU SURE");
    EXPECT_EQ(Sent(), (std::vector<std::string>{"&sppmdelete,32", "&sppmdelete,1"}));
}

}  // namespace
}  // namespace velmar
