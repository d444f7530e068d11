#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "features/networkaudio/core/NetworkAudioUnit.h"
#include "features/networkaudio/view/AutoIpRoutingDialog.h"
#include "features/networkaudio/view/ManualIpRoutingDialog.h"
#include "features/routing/tests/RoutingFixture.h"
#include "widgets/IpAddressEdit.h"
#include "widgets/ProblemNote.h"

namespace velmar {
namespace {

class NetworkAudioWindows : public test::ToolWindowFixture {};

TEST_F(NetworkAudioWindows, ManualFlowsCreateFromTheFieldsAndFollowTheReports) {
    Reply(":gip,0,0,'127.0.0.2','255.0.0.0','0.0.0.0','00AA'");
    ManualIpRoutingDialog dialog(
        session, prompter, [] { return std::vector<std::string>{"10.0.0.1"}; }, nullptr);
    std::vector<std::string> opening = Sent();
    ASSERT_EQ(opening.size(), 4u + 64u);
    EXPECT_EQ(std::vector<std::string>(opening.begin(), opening.begin() + 6),
              (std::vector<std::string>{"?guniclkip", "?guniclkstip", "?grxportrng",
                                        "?gmaxlatencyip,'localhost'", "?gcrtxflow,1", "?gcrrxflow,1"}));

    // Addresses a flow must not go to send nothing and say why beside the field.
    const struct {
        const char* typed;
        const char* why;
    } refused[] = {
        {"0.0.0.0", "0.0.0.0 is no destination."},
        {"255.255.255.255", "255.255.255.255 would send the flow to every device of the network."},
        {"127.0.0.2", "127.0.0.2 is the frame itself or a frame in the device list."},
    };
    for (const auto& [typed, why] : refused) {
        dialog.TxAddressField()->clear();
        QTest::keyClicks(dialog.TxAddressField(), typed);
        EXPECT_TRUE(dialog.TxAddressNote()->isHidden()) << typed;
        dialog.CreateTx();
        EXPECT_EQ(dialog.TxAddressNote()->text().toStdString(),
                  std::string("IP address: ") + why + " The flow was not created.");
        EXPECT_FALSE(dialog.TxAddressNote()->isHidden()) << typed;
        EXPECT_EQ(dialog.TxAddressField()->text().toStdString(), typed) << "what was typed stays";
    }
    QTest::keyClick(dialog.TxAddressField(), Qt::Key_Backspace);
    QTest::keyClick(dialog.TxAddressField(), Qt::Key_3);
    EXPECT_TRUE(dialog.TxAddressNote()->isHidden()) << "an edit lifts the refusal";
    dialog.TxAddressField()->clear();
    QTest::keyClicks(dialog.TxAddressField(), "10.0.0.1");
    dialog.CreateTx();
    EXPECT_EQ(
        dialog.TxAddressNote()->text().toStdString(),
        "IP address: 10.0.0.1 is the frame itself or a frame in the device list. The flow was not created.");
    EXPECT_TRUE(Sent().empty());
    EXPECT_TRUE(prompter.shown.empty());
    // A text that is not an address is said to be none, not sent as 0.0.0.0 or as a shorter one.
    dialog.TxAddressField()->clear();
    QTest::keyClicks(dialog.TxAddressField(), "10.0.0.770");
    dialog.CreateTx();
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(prompter.shown.back(),
              "IP address: \"770\" is not a number from 0 to 255. The flow was not created.");

    dialog.TxAddressField()->SetAddress(0x0A00004D);  // 10.0.0.77
    dialog.RxSlotsField()->setText("0");
    dialog.CreateRx();
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(dialog.Note()->text(), "Rx flow not created: A flow has 1 to 8 slots.") << "never silent";
    dialog.RxSlotsField()->setText("4");
    dialog.TxIdField()->setText("2");
    dialog.CreateTx();
    EXPECT_EQ(Sent(),
              (std::vector<std::string>{"&scrtxflow,2,4,'10.0.0.77',14528", "&stxflowslot,2,0,5",
                                        "&stxflowslot,2,1,6", "&stxflowslot,2,2,7", "&stxflowslot,2,3,8"}));
    Reply(":scrtxflow,0,2,4,'10.0.0.77',14528");
    EXPECT_EQ(Sent(), (std::vector<std::string>{"?gtxflowslot,2,0", "?gtxflowslot,2,1", "?gtxflowslot,2,2",
                                                "?gtxflowslot,2,3"}));
    EXPECT_EQ(dialog.TxIdField()->text(), "3") << "the report suggests the next ID";
    EXPECT_EQ(dialog.TxPortField()->text(), "14529");
    for (int slot = 0; slot < 4; ++slot)
        Reply(":gtxflowslot,0,2," + std::to_string(slot) + "," + std::to_string(slot + 5));
    Reply(":gtxflowslot,0,9,0,3");  // a slot of a flow that is not listed
    EXPECT_EQ(Row(dialog.TxList(), 0), (QStringList{"2", "4", "14528", "10.0.0.77", "5, 6, 7, 8"}));

    dialog.TxIdField()->setText("2");
    dialog.CreateTx();
    EXPECT_EQ(prompter.shown.back(), "ID in use");
    dialog.TxIdField()->setText("4");
    dialog.TxPortField()->setText("14528");
    dialog.CreateTx();
    EXPECT_EQ(prompter.shown.back(), "Port in use");
    EXPECT_TRUE(Sent().empty());

    // A typo in any field stops every action after its message.
    dialog.RxLatencyField()->setText("70000");
    dialog.TxPortField()->setText("14540");
    dialog.CreateTx();
    EXPECT_EQ(prompter.shown.back(), "Please enter an integer between 0 and 65535.");
    EXPECT_TRUE(Sent().empty());

    // Rx: the latency is held against the frame's maximum, 0 until it reports one.
    dialog.RxLatencyField()->setText("5000");
    dialog.CreateRx();
    EXPECT_EQ(prompter.shown.back(), "Rx latency is above maximum which is 0 us");
    Reply(":gmaxlatencyip,0,'localhost',3000");
    dialog.CreateRx();
    EXPECT_EQ(prompter.shown.back(), "Rx latency is above maximum which is 3000 us");
    dialog.RxLatencyField()->setText("1000");
    dialog.RxSlotsField()->setText("3");
    dialog.CreateRx();
    EXPECT_EQ(Sent(), std::vector<std::string>{"&scrrxflow,1,3,14528,1000"})
        << "odd slot counts get no slots";

    // A refused create is said and lists nothing, whatever the refusal repeats.
    Reply(":scrrxflow,-1,1,3,14528,1000");
    EXPECT_EQ(dialog.RxList()->topLevelItemCount(), 0);
    EXPECT_EQ(session.Feature<NetworkAudioUnit>().Flows().rxFlows[0].exists, 0);
    EXPECT_EQ(dialog.Note()->text(), "The frame refused the Rx flow (status -1).");

    Reply(":guniclkstip,0,1,Unicast clocking on");
    EXPECT_EQ(dialog.StatusField()->text(), "Unicast clocking on");
    dialog.UnicastBox()->click();
    EXPECT_EQ(Sent(), (std::vector<std::string>{"&suniclkip,1", "?guniclkstip"}));
}

TEST_F(NetworkAudioWindows, DeleteFlowActsOnTheListChosenLastAndNamesTheFlow) {
    ManualIpRoutingDialog dialog(session, prompter, {}, nullptr);
    dialog.DeleteAllFlows();
    EXPECT_TRUE(prompter.asked.empty()) << "nothing listed: nothing asked";
    Reply(":gcrtxflow,0,3,2,'10.0.0.77',14530");
    Reply(":gcrrxflow,0,5,2,14531,1000");
    Reply(":gcrrxflow,0,6,9,14532,1000");  // nine slots: eight are asked for
    Sent();
    EXPECT_EQ(dialog.RxList()->topLevelItemCount(), 2);

    // Slot assign stays disabled whatever is selected: Create assigns a new flow's slots.
    dialog.TxList()->topLevelItem(0)->setSelected(true);
    EXPECT_FALSE(dialog.SlotAssignButton(true)->isEnabled());
    dialog.RxList()->topLevelItem(0)->setSelected(true);
    EXPECT_FALSE(dialog.SlotAssignButton(false)->isEnabled());
    EXPECT_TRUE(dialog.TxList()->selectedItems().isEmpty());
    prompter.answers = {true};
    dialog.DeleteFlow();
    EXPECT_EQ(prompter.asked.back(), "IP flows: Delete Rx flow 5");
    EXPECT_EQ(Sent(), std::vector<std::string>{"&scrrxflow,5,0,14531,1000"});
    Reply(":scrrxflow,0,5,0,14531,1000");
    EXPECT_EQ(dialog.RxList()->topLevelItemCount(), 1);

    dialog.TxList()->topLevelItem(0)->setSelected(true);
    prompter.answers = {false};
    dialog.DeleteFlow();
    EXPECT_EQ(prompter.asked.back(), "IP flows: Delete Tx flow 3");
    EXPECT_TRUE(Sent().empty());

    prompter.answers = {true};
    dialog.DeleteAllFlows();
    EXPECT_EQ(prompter.asked.back(), "IP flows: Delete all Rx/Tx flows");
    EXPECT_EQ(Sent(),
              (std::vector<std::string>{"&scrrxflow,6,0,14532,1000", "&scrtxflow,3,0,'10.0.0.77',14530"}));
}

TEST_F(NetworkAudioWindows, AutoRoutingQuestionEnablingAndFailedRead) {
    AutoIpRoutingDialog dialog(session, prompter, nullptr);
    std::vector<std::string> opening = Sent();
    ASSERT_EQ(opening.size(), 4u + 64u);
    EXPECT_EQ(std::vector<std::string>(opening.begin(), opening.begin() + 5),
              (std::vector<std::string>{"?gautorouteip", "?gframeip,'localhost'", "?glatencyip,'localhost'",
                                        "?gmaxlatencyip,'localhost'", "?gcrossip,1,'localhost'"}));
    EXPECT_TRUE(dialog.ConnectButton()->isEnabled()) << "enabled until the first report";

    prompter.answers = {false};
    dialog.AutoRouteBox()->click();
    EXPECT_FALSE(dialog.AutoRouteBox()->isChecked());
    EXPECT_TRUE(Sent().empty());
    prompter.answers = {true};
    dialog.AutoRouteBox()->click();
    EXPECT_EQ(Sent(), std::vector<std::string>{"&sautorouteip,1"});
    Reply(":sautorouteip,0,1");
    EXPECT_TRUE(dialog.SetButton()->isEnabled());
    dialog.AutoRouteBox()->click();
    EXPECT_EQ(Sent(), std::vector<std::string>{"&sautorouteip,0"});
    EXPECT_EQ(prompter.asked.size(), 2u) << "turning off asks nothing";

    Reply(":gautorouteip,0,1");
    EXPECT_TRUE(dialog.AutoRouteBox()->isChecked());
    Reply(":gautorouteip,-3");
    EXPECT_FALSE(dialog.AutoRouteBox()->isChecked()) << "a failed read leaves it unticked";
    EXPECT_FALSE(dialog.ConnectButton()->isEnabled());
    EXPECT_FALSE(dialog.FrameRateField()->isEnabled());
}

TEST_F(NetworkAudioWindows, AutoRoutingConnectSetAndDelete) {
    Reply(":gbkname,0,'STUDIO-A'");
    AutoIpRoutingDialog dialog(session, prompter, nullptr);
    Sent();
    // Both names empty: the frame itself on both ends.
    dialog.Connect();
    EXPECT_TRUE(Sent().empty());
    dialog.DestinationHostField()->setText("studio-a");
    dialog.Connect();
    EXPECT_TRUE(Sent().empty()) << "the same device whatever the case";
    dialog.DestinationHostField()->setText("");
    dialog.SourceHostField()->setText("WALLBOX");
    dialog.SourceField()->setText("7");
    dialog.DestinationField()->setText("3");
    dialog.Connect();
    dialog.SourceField()->setText("0");
    dialog.Connect();
    EXPECT_EQ(Sent(), (std::vector<std::string>{"&scrossip,3,'localhost','07','WALLBOX'",
                                                "&scrossip,3,'localhost','','WALLBOX'"}));
    dialog.SourceHostField()->setText("WALL,BOX");
    dialog.Connect();
    EXPECT_EQ(prompter.shown.back(), "A device name may not contain a comma.");
    const std::size_t shown = prompter.shown.size();
    dialog.SourceHostField()->setText(QString::fromUtf8("\u5317"));  // not a Windows-1252 character
    dialog.Connect();
    EXPECT_EQ(prompter.shown.size(), shown + 1);
    dialog.SourceHostField()->setText(QString(40, 'W'));
    EXPECT_EQ(dialog.SourceHostField()->text().size(), 31) << "a host name field takes 31 characters";
    dialog.DestinationField()->setText("65");
    dialog.Connect();
    EXPECT_EQ(prompter.shown.back(), "Please enter an integer between 1 and 64.");
    EXPECT_TRUE(Sent().empty());
    dialog.DestinationField()->setText("3");

    Reply(":gmaxlatencyip,0,'STUDIO-A',5000");
    dialog.LatencyField()->setText("200");
    dialog.FrameRateField()->setText("4");
    dialog.Set();
    EXPECT_EQ(Sent(), (std::vector<std::string>{"?gframeip,'STUDIO-A'", "?glatencyip,'STUDIO-A'"}));
    dialog.LatencyField()->setText("6000");
    dialog.Set();
    EXPECT_EQ(prompter.shown.back(), "Rx latency is above maximum which is 5000 us");
    dialog.LatencyField()->setText("1000");
    dialog.Set();
    EXPECT_EQ(Sent(), std::vector<std::string>{"&sperformip,'STUDIO-A',4,1000"});
    Reply(":sperformip,0,'STUDIO-A',8,2000");
    EXPECT_EQ(dialog.FrameRateField()->text(), "8");
    EXPECT_EQ(dialog.LatencyField()->text(), "2000");

    for (int x : {3, 4, 5})
        Reply(":gcrossip,0," + std::to_string(x) + ",'STUDIO-A','0" + std::to_string(x) + "','WALLBOX'");
    Reply(":gcrossip,0,70,'STUDIO-A','01','WALLBOX'");
    QTreeWidget* list = dialog.RouteList();
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(Row(list, 0), (QStringList{"1", "WALLBOX", "03", "STUDIO-A", "3"}));
    Reply(":gcrossip,0,4,'STUDIO-A','0','WALLBOX'");
    EXPECT_EQ(list->topLevelItemCount(), 2);
    // Names from the frame are 8-bit texts, shown as they are.
    Reply(":gcrossip,0,6,'STUDIO-A','06','CAF\xC9'");
    EXPECT_EQ(list->topLevelItem(2)->text(1), QString::fromUtf8("CAF\u00C9"));
    Reply(":gcrossip,0,6,'STUDIO-A','',''");

    list->topLevelItem(0)->setSelected(true);
    dialog.DeleteRoutes();
    EXPECT_TRUE(prompter.asked.empty()) << "one route goes without a question";
    EXPECT_EQ(Sent(), std::vector<std::string>{"&scrossip,3,'STUDIO-A','','WALLBOX'"});
    Reply(":gcrossip,0,4,'STUDIO-A','04','WALLBOX'");
    for (int row = 0; row < list->topLevelItemCount(); ++row)
        list->topLevelItem(row)->setSelected(true);
    prompter.answers = {true};
    dialog.DeleteRoutes();
    EXPECT_EQ(prompter.asked, std::vector<std::string>{"IP routing status: Disconnect selected"});
    EXPECT_EQ(Sent(), (std::vector<std::string>{"&scrossip,4,'STUDIO-A','','WALLBOX'",
                                                "&scrossip,5,'STUDIO-A','','WALLBOX'",
                                                "&scrossip,3,'STUDIO-A','','WALLBOX'"}));
}

}  // namespace
}  // namespace velmar
