#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QTableView>
#include <memory>
#include <sstream>

#include "console/ConsoleCore.h"
#include "console/MainWindow.h"
#include "features/channeltools/view/ChannelLabelsDialog.h"
#include "features/channeltools/view/ChannelTableModel.h"
#include "features/channeltools/view/InstallChannelTools.h"
#include "features/leveldetectors/view/LevelDetectorDialog.h"
#include "platform/qt/QtProfileStore.h"
#include "tests/cli/CliRun.h"
#include "tests/console/ConsoleTestSupport.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TempFolder.h"
#include "widgets/EditableGrid.h"

namespace velmar {
namespace {

using namespace std::chrono_literals;

// The channel-tool windows against velmar-sim: what the window sets, the frame keeps, and the
// window, the routing views and velmar-cli read back.
class ChannelToolsEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        test::EnsureApplication();
        sim.ExportPorts();
        profile =
            std::make_unique<QtProfileStore>(QString::fromStdString(test::OwnTempFolder() + "/profile.ini"));
        core = std::make_unique<ConsoleCore>(ConsoleOptions{},
                                             ConsoleServices{&prompter, nullptr, profile.get()});
        window = std::make_unique<MainWindow>(*core);
        InstallChannelTools(*window, *core);
        Session& session = core->GetSession();
        session.Connect("127.0.0.2", DeviceMode::Application, ModelClass::Full);
        ASSERT_TRUE(test::WaitUntil([&] { return session.IsReady() && session.Channels() == 1536; }, 10s));
    }

    std::string Cli(const std::vector<std::string>& args) {
        const test::CliOutcome run = test::RunCli(args);
        return run.out + run.err;
    }

    test::SimProcess sim;
    test::ScriptedPrompter prompter;
    std::unique_ptr<QtProfileStore> profile;
    std::unique_ptr<ConsoleCore> core;
    std::unique_ptr<MainWindow> window;
};

TEST_F(ChannelToolsEndToEnd, LabelsSetInTheWindowComeBackOnReopeningAndEverywhereElse) {
    Session& session = core->GetSession();
    {
        ChannelLabelsDialog::RequestLabels(session);
        ChannelLabelsDialog dialog(session, prompter, nullptr);
        dialog.show();
        dialog.List()->setCurrentCell(602, 0);  // channel 603, MADI
        dialog.InputField()->setText(QStringLiteral("Truck feed L"));
        dialog.OutputField()->setText(QStringLiteral("To truck L"));
        dialog.Apply();
        ASSERT_TRUE(test::WaitUntil([&] { return dialog.List()->Text(602, 2) == "To truck L"; }));
        EXPECT_EQ(dialog.List()->Text(602, 1), "Truck feed L");
    }
    {
        ChannelLabelsDialog::RequestLabels(session);
        ChannelLabelsDialog reopened(session, prompter, nullptr);
        EXPECT_TRUE(test::WaitUntil([&] { return reopened.List()->Text(602, 1) == "Truck feed L"; }));
    }
    // The routing views name the channel with its label.
    RoutingArea& routing = window->Routing();
    routing.Control().FillChannelList(RouteSide::Input, RouteType::kMadi);
    EXPECT_EQ(routing.Control().ChannelList(RouteSide::Input)->item(10)->text().endsWith("Truck feed L"),
              true)
        << routing.Control().ChannelList(RouteSide::Input)->item(10)->text().toStdString();
    EXPECT_NE(Cli({"labels", "127.0.0.2"}).find("603      MADI    Truck feed L      To truck L"),
              std::string::npos);
}

TEST_F(ChannelToolsEndToEnd, ADetectorSetInTheWindowTripsAndShowsItsStatus) {
    Session& session = core->GetSession();
    LevelDetectorDialog::RequestDetectors(session);
    LevelDetectorDialog dialog(session, prompter, nullptr);
    dialog.show();
    const QModelIndex row = dialog.Model()->index(8, 0);  // channel 9
    dialog.List()->selectionModel()->setCurrentIndex(
        row, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const LevelDetectorDialog::DirectionFields& input = dialog.Fields(0);
    input.time1->setText(QStringLiteral("250"));
    input.level1->setText(QStringLiteral("-30.5"));
    input.enable->setChecked(true);
    dialog.Apply(0);
    const auto shown = [&] {
        QStringList cells;
        for (int column = 1; column <= 6; ++column)
            cells << dialog.Model()->data(dialog.Model()->index(8, column), Qt::DisplayRole).toString();
        return cells.join(QStringLiteral(", "));
    };
    ASSERT_TRUE(test::WaitUntil([&] { return shown() == "250, -30.50, 0, 0, yes, ok"; }))
        << shown().toStdString();

    ASSERT_EQ(sim.Do("trip 127.0.0.2 in 9").substr(0, 2), "ok");
    EXPECT_TRUE(test::WaitUntil([&] { return shown() == "250, -30.50, 0, 0, yes, tripped"; }))
        << shown().toStdString();
    EXPECT_TRUE(dialog.Model()->data(dialog.Model()->index(8, 0), Qt::BackgroundRole).isValid());
    EXPECT_NE(Cli({"detectors", "127.0.0.2"}).find("\n9        CARD 1  250, -30.50, 0, 0, 1, 1 |"),
              std::string::npos);
}

}  // namespace
}  // namespace velmar
