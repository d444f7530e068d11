#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTreeView>
#include <QTreeWidget>
#include <fstream>
#include <sstream>

#include "features/routing/core/RoutingUnit.h"
#include "features/routing/tests/RoutingFixture.h"
#include "features/routing/view/RoutingArea.h"
#include "features/routing/view/SnapshotPreviewDialog.h"

namespace velmar {
namespace {

class RoutingView : public test::RoutingFixture {
  protected:
    RoutingView() : area(context, nullptr) {}

    void SelectEntry(RouteSide side, std::int32_t type, const QString& text) {
        QComboBox* selector = area.Control().TypeSelector(side);
        const int index = selector->findData(type);
        ASSERT_GE(index, 0) << text.toStdString();
        selector->setCurrentIndex(index);
        area.Control().FillChannelList(side, type);
        const auto items = area.Control().ChannelList(side)->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << text.toStdString();
        items.front()->setSelected(true);
    }

    std::vector<std::string> ListTexts() { return test::ListTexts(area); }

    RoutingArea area;
};

TEST_F(RoutingView, ControlsFollowTheConnectionAndTheFrame) {
    EXPECT_FALSE(area.Control().ConnectButton()->isEnabled());
    ConnectNewFrame();
    EXPECT_TRUE(area.Control().ConnectButton()->isEnabled());
    EXPECT_TRUE(area.Status().LoadButton()->isEnabled());

    ConnectNewFrame(ModelClass::NoMatrix);
    EXPECT_FALSE(area.Control().StereoButton()->isEnabled()) << "a frame without a matrix";
    ConnectNewFrame(ModelClass::Full, DeviceMode::Recovery);
    EXPECT_FALSE(area.Status().SaveButton()->isEnabled());
    session.Disconnect();
    EXPECT_FALSE(area.Control().ConnectButton()->isEnabled());
}

TEST_F(RoutingView, StereoConnectAndConfirmedDisconnectSendPairs) {
    ConnectNewFrame();
    area.Control().RebuildTypeSelectors();
    area.Control().StereoButton()->setChecked(true);
    SelectEntry(RouteSide::Input, RouteType::kAes, "AES 05+06");
    SelectEntry(RouteSide::Output, RouteType::kMadi, "MADI 09+10");
    area.Control().ConnectSelected();
    EXPECT_EQ(transport.TakeSent(), (std::vector<std::string>{"&scross,601,517,0,0", "&scross,602,518,0,0"}));
    Reply(":scross,0,601,517,0,0");
    Reply(":scross,0,602,518,0,0");

    prompter.answers = {false};
    area.Control().DisconnectSelected();
    EXPECT_TRUE(transport.TakeSent().empty()) << "No sends nothing";
    prompter.answers = {true};
    area.Control().DisconnectSelected();
    EXPECT_EQ(transport.TakeSent(), (std::vector<std::string>{"&scross,601,0,0,0", "&scross,602,0,0,0"}));
    EXPECT_EQ(prompter.asked.back(), "Crosspoint control: Disconnect 2 crosspoints: MADI 09, 10?");
}

TEST_F(RoutingView, ListFollowsRepliesAndNotificationsRowByRow) {
    ConnectNewFrame();
    Reply(":scross,0,5,7,0,0");
    Reply(":scross,0,2,9,0,0");
    EXPECT_EQ(ListTexts(), (std::vector<std::string>{"CARD1 07 -> CARD1 05", "CARD1 09 -> CARD1 02"}));
    area.Status().Model().Refresh(CrosspointList::kRebuild, CrosspointList::kOutputColumn);
    EXPECT_EQ(ListTexts(), (std::vector<std::string>{"CARD1 09 -> CARD1 02", "CARD1 07 -> CARD1 05"}));

    // A selected row stays selected while another row moves.
    area.Status().View()->selectionModel()->select(area.Status().Model().index(1, 0),
                                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    Reply("%gcross,2,600");
    EXPECT_EQ(ListTexts(), (std::vector<std::string>{"CARD1 07 -> CARD1 05", "MADI 08 -> CARD1 02"}));
    const QModelIndexList selected = area.Status().View()->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.front().row(), 0);

    prompter.answers = {true};
    area.Status().DisconnectRows();
    EXPECT_EQ(transport.TakeSent(), (std::vector<std::string>{"&scross,5,0,0,0"}));
    EXPECT_EQ(prompter.asked.back(), "Crosspoint status: Disconnect 1 crosspoint: CARD1 05?");

    area.Status().HeaderClicked(CrosspointListModel::kOutputColumn);  // no card fitted: straight to AES
    EXPECT_EQ(area.Status().Model().headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
              "OUTPUT  [AES]");
    EXPECT_TRUE(ListTexts().empty());
}

TEST_F(RoutingView, AHiddenListCatchesUpWhenShownInsteadOfPerNotification) {
    ConnectNewFrame();
    Reply(":scross,0,5,7,0,0");
    area.Views().setCurrentIndex(1);  // the grid
    Reply("%gcross,5,9");
    Reply("%gcross,2,600");
    Reply(":scross,0,3,4,0,0");
    EXPECT_EQ(ListTexts(), (std::vector<std::string>{"CARD1 09 -> CARD1 05"}))
        << "rows neither move nor come while hidden (a row's text is always the frame's)";
    area.Views().setCurrentIndex(0);
    EXPECT_EQ(ListTexts(), (std::vector<std::string>{"MADI 08 -> CARD1 02", "CARD1 04 -> CARD1 03",
                                                     "CARD1 09 -> CARD1 05"}));
}

TEST_F(RoutingView, ARefusedRouteStaysListedAndIsSaid) {
    ConnectNewFrame();
    session.Feature<RoutingUnit>().SetCrosspoint(5, 7);
    Reply(":scross,0,5,7,0,0");
    session.Feature<RoutingUnit>().SetCrosspoint(5, 9);
    Reply(":scross,-2,5,0,0,0");
    EXPECT_EQ(ListTexts(), (std::vector<std::string>{"CARD1 07 -> CARD1 05"}));
    EXPECT_TRUE(area.Notice().contains("refused")) << area.Notice().toStdString();
    EXPECT_TRUE(area.Notice().contains("status -2"));
    session.Disconnect();
    EXPECT_TRUE(area.Notice().isEmpty());
}

TEST_F(RoutingView, SaveAndLoadThroughThePreview) {
    ConnectNewFrame();
    Reply(":scross,0,5,7,0,0");
    Reply(":scross,0,2,9,0,0");
    QTemporaryDir dir;
    files.path = QDir(dir.path()).filePath("routes.xpt").toStdString();
    area.Status().SaveCrosspoints(false);
    std::ifstream saved(files.path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(saved), {}), "1=2,9\r\n2=5,7\r\n");
    EXPECT_TRUE(prompter.shown.empty());

    const std::string savedPath = files.path;
    files.path = QDir(dir.path()).filePath("no-such-folder/routes.xpt").toStdString();
    area.Status().SaveCrosspoints(false);
    ASSERT_EQ(prompter.shown.size(), 1u) << "a failed save is said, not passed over";
    EXPECT_NE(prompter.shown[0].find("not saved"), std::string::npos);
    files.path = savedPath;

    std::ofstream(files.path, std::ios::binary) << "1=40,3\n2=41,4\r\n3=40,6\njunk\n4=2000,1\n";
    Reply(":scross,0,41,4,0,0");  // already so on the frame
    transport.TakeSent();
    QString summary;
    QStringList changes;
    QStringList notes;
    area.Status().SetPreviewRunner([&](SnapshotPreviewDialog& preview) {
        summary = preview.Summary();
        changes = preview.Changes();
        notes = preview.Notes();
        EXPECT_TRUE(preview.OkButton()->isEnabled());
        EXPECT_TRUE(preview.windowTitle().startsWith("Load crosspoint status  ("));
        return false;
    });
    area.Status().LoadCrosspoints();
    EXPECT_TRUE(
        summary.startsWith("2 crosspoints in the file: 1 changes the routing, 1 is routed so already."))
        << summary.toStdString();
    EXPECT_EQ(changes, QStringList{QString::fromUtf8("CARD1 40: nothing \u2192 CARD1 06")});
    EXPECT_EQ(notes,
              (QStringList{"Line 1 skipped: output 40 is given again on line 3", "Line 4 skipped: no \"=\"",
                           "Line 5 skipped: output 2000 is not a channel of this frame (1..1536)"}));
    EXPECT_TRUE(transport.TakeSent().empty()) << "cancel sends nothing";

    area.Status().SetPreviewRunner([](SnapshotPreviewDialog&) { return true; });
    area.Status().LoadCrosspoints();
    EXPECT_EQ(transport.TakeSent(), (std::vector<std::string>{"&scross,40,6,0,0", "&scross,41,4,0,0"}));
    EXPECT_EQ(files.titles, (std::vector<std::string>{"Save crosspoint status", "Save crosspoint status",
                                                      "Open crosspoint status", "Open crosspoint status"}));

    // A UTF-16 file is refused in the preview, and OK is not offered.
    std::ofstream(files.path, std::ios::binary) << std::string(
        "\xFF\xFE"
        "1\0=\0"
        "4\0,\0"
        "5\0",
        12);
    area.Status().SetPreviewRunner([&](SnapshotPreviewDialog& preview) {
        notes = preview.Notes();
        EXPECT_FALSE(preview.OkButton()->isEnabled());
        EXPECT_EQ(preview.List()->topLevelItemCount(), 0);
        return false;
    });
    area.Status().LoadCrosspoints();
    ASSERT_EQ(notes.size(), 1);
    EXPECT_TRUE(notes.front().contains("UTF-16")) << notes.front().toStdString();

    // A folder is refused with the reader's own words, as velmar-cli load-routes gives them.
    files.path = dir.path().toStdString();
    area.Status().LoadCrosspoints();
    EXPECT_EQ(notes, QStringList{QString::fromStdString("This file cannot be loaded: " + files.path +
                                                        " is a folder, not a crosspoint snapshot; only "
                                                        "regular files are read.")});
}

}  // namespace
}  // namespace velmar
