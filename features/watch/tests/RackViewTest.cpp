#include <gtest/gtest.h>

#include <QCheckBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <set>

#include "console/FeatureViews.h"
#include "console/MainWindow.h"
#include "features/eventlog/view/EventLogDock.h"
#include "features/eventlog/view/EventLogViews.h"
#include "features/watch/core/SqliteHealthHistory.h"
#include "features/watch/view/Rack.h"
#include "features/watch/view/RackDock.h"
#include "features/watch/view/RackSettingsDialog.h"
#include "platform/qt/QtProfileStore.h"
#include "tests/console/ConsoleTestSupport.h"
#include "tests/support/SimProcess.h"
#include "tools/AlarmMarks.h"

namespace velmar {
namespace {

using test::WaitUntil;

// The console as the application builds it, with the event log and the rack, against a
// simulated rack of six frames.
class RackViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::EnsureApplication();
        sim.ExportPorts();
        ASSERT_TRUE(dir.isValid());
        history = dir.filePath(QStringLiteral("history.sqlite")).toStdString();
        qputenv("VELMAR_HISTORY", QByteArray::fromStdString(history));
        profile = std::make_unique<QtProfileStore>(dir.filePath(QStringLiteral("profile.ini")));
        core = std::make_unique<ConsoleCore>(ConsoleOptions{},
                                             ConsoleServices{&prompter, &files, profile.get()});
        window = std::make_unique<MainWindow>(*core);
        log = &InstallEventLog(*window, *core);
        WatchInstallViews(*window, *core);
        rack = core->Find<Rack>();
        dock = window->findChild<RackDock*>();
        ASSERT_NE(rack, nullptr);
        ASSERT_NE(dock, nullptr);
        window->show();
        ASSERT_TRUE(
            WaitUntil([&] { return Cell("127.0.0.7", RackModel::Psu2) == "ok"; }, std::chrono::seconds(10)))
            << "every frame is watched";
    }
    void TearDown() override {
        window.reset();
        core.reset();
        qunsetenv("VELMAR_HISTORY");
    }

    QModelIndex Index(const std::string& address, int column) const {
        return rack->Model().index(rack->Model().RowOf(address), column);
    }
    std::string Cell(const std::string& address, int column) const {
        return rack->Model().data(Index(address, column), Qt::DisplayRole).toString().toStdString();
    }
    bool Logged(const QString& text) const {
        return !log->Entries()->findItems(text, Qt::MatchContains).isEmpty();
    }
    QPoint CentreOf(const std::string& address, int column) const {
        const QModelIndex at = dock->Proxy()->index(dock->ViewRowOf(address), column);
        return dock->View()->visualRect(at).center();
    }

    test::SimProcess sim{{"--frames", "6"}};
    QTemporaryDir dir;
    std::string history;
    std::unique_ptr<QtProfileStore> profile;
    test::ScriptedPrompter prompter;
    test::ScriptedFilePicker files;
    std::unique_ptr<ConsoleCore> core;
    std::unique_ptr<MainWindow> window;
    EventLogDock* log = nullptr;
    Rack* rack = nullptr;
    RackDock* dock = nullptr;
};

TEST_F(RackViewTest, APsuFaultRaisedAndClearedShowsInItsRowTheLogAndTheHistoryUntilAcknowledged) {
    // Every frame's first values are in (rate and sync follow the start by a poll) before the one
    // change is watched: the rack is quiet for longer than a poll.
    QElapsedTimer quiet;
    quiet.start();
    const auto settling =
        QObject::connect(&rack->Model(), &QAbstractItemModel::dataChanged, [&] { quiet.restart(); });
    ASSERT_TRUE(WaitUntil([&] { return quiet.elapsed() > 1500; }, std::chrono::seconds(15)));
    QObject::disconnect(settling);
    std::set<int> rowsChanged;
    const auto changes = QObject::connect(&rack->Model(), &QAbstractItemModel::dataChanged,
                                          [&](const QModelIndex& top, const QModelIndex& bottom) {
                                              rowsChanged.insert(top.row());
                                              rowsChanged.insert(bottom.row());
                                          });
    bool rebuilt = false;
    QObject::connect(&rack->Model(), &QAbstractItemModel::modelReset, [&] { rebuilt = true; });

    ASSERT_EQ(sim.Do("health 127.0.0.2 psu 2 fault").substr(0, 2), "ok");
    ASSERT_TRUE(WaitUntil([&] { return Cell("127.0.0.2", RackModel::Psu2) == "fault"; }));
    EXPECT_EQ(rowsChanged, std::set<int>{rack->Model().RowOf("127.0.0.2")})
        << "only the frame's row is shown again";
    EXPECT_FALSE(rebuilt);
    EXPECT_EQ(rack->Model().data(Index("127.0.0.2", RackModel::Psu2), Qt::BackgroundRole).value<QColor>(),
              AlarmBackground());
    EXPECT_EQ(Cell("127.0.0.2", RackModel::Alarms), "1: PSU 2 fault");
    EXPECT_EQ(Cell("127.0.0.2", RackModel::Name), "Studio A");
    EXPECT_FALSE(Cell("127.0.0.2", RackModel::LastChange).empty());
    EXPECT_TRUE(Logged(QStringLiteral("Studio A (127.0.0.2): alarm raised: PSU 2 fault")));
    QObject::disconnect(changes);

    ASSERT_EQ(sim.Do("health 127.0.0.2 psu 2 ok").substr(0, 2), "ok");
    ASSERT_TRUE(WaitUntil([&] { return Cell("127.0.0.2", RackModel::Psu2) == "ok"; }));
    EXPECT_TRUE(Logged(QStringLiteral("Studio A (127.0.0.2): alarm cleared: PSU 2 fault")));
    EXPECT_EQ(Cell("127.0.0.2", RackModel::Alarms), "1: PSU 2 fault") << "open until acknowledged";

    dock->View()->selectRow(dock->ViewRowOf("127.0.0.2"));
    QTest::mouseClick(dock->AcknowledgeButton(), Qt::LeftButton);
    EXPECT_EQ(Cell("127.0.0.2", RackModel::Alarms), "");
    EXPECT_EQ(rack->Model().data(Index("127.0.0.2", RackModel::Alarms), Qt::BackgroundRole), QVariant());

    rack->FlushHistory();
    SqliteHealthHistory kept;
    ASSERT_EQ(kept.Open(history, SqliteHealthHistory::Access::ReadOnly), "");
    std::vector<HealthChanged> read;
    ASSERT_EQ(kept.Read("127.0.0.2", {}, read), "");
    std::vector<std::string> said;
    for (const HealthChanged& change : read) {
        if (change.what == "psu2" || change.what == "alarm")
            said.push_back(change.what + " " + change.from + " " + change.to);
    }
    EXPECT_EQ(said, (std::vector<std::string>{"psu2  ok", "psu2 ok fault", "alarm raised PSU 2 fault",
                                              "psu2 fault ok", "alarm cleared PSU 2 fault",
                                              "alarm acknowledged PSU 2 fault"}));
    read.clear();
    ASSERT_EQ(kept.Read("", {}, read), "");
    EXPECT_TRUE(std::any_of(read.begin(), read.end(), [](const HealthChanged& entry) {
        return entry.what == "log" && entry.from == "warning" &&
               entry.to.ends_with("(127.0.0.2): alarm raised: PSU 2 fault");
    })) << "the event log is kept too";
}

TEST_F(RackViewTest, FilteredSortedTickedAndADoubleClickFocusesTheFrameOverTheWatchsLink) {
    dock->Filter()->setText(QStringLiteral("wall"));
    EXPECT_EQ(dock->Proxy()->rowCount(), 1);
    dock->Filter()->clear();
    EXPECT_EQ(dock->Proxy()->rowCount(), 6);
    dock->View()->sortByColumn(RackModel::Name, Qt::DescendingOrder);
    EXPECT_EQ(dock->ViewRowOf("127.0.0.3"), 0) << "Wall box sorts last by name";

    // Only the ticked frames: the choice and the ticks are kept in the profile.
    dock->WatchAll()->setChecked(false);
    EXPECT_EQ(rack->Watches().Count(), 0u);
    EXPECT_EQ(Cell("127.0.0.4", RackModel::Link), "not watched");
    ASSERT_TRUE(
        rack->Model().setData(Index("127.0.0.2", RackModel::Ticked), Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(rack->Watches().Count(), 1u);
    EXPECT_EQ(RackSettings::Load(*profile).ticked, std::set<std::string>{"127.0.0.2"});
    EXPECT_FALSE(RackSettings::Load(*profile).watchAll);
    ASSERT_TRUE(WaitUntil([&] { return Cell("127.0.0.2", RackModel::Link) == "up"; }));

    // Item views take a double click as the second click on a pressed item.
    QTest::mouseClick(dock->View()->viewport(), Qt::LeftButton, {}, CentreOf("127.0.0.2", RackModel::Name));
    QTest::mouseDClick(dock->View()->viewport(), Qt::LeftButton, {}, CentreOf("127.0.0.2", RackModel::Name));
    ASSERT_TRUE(WaitUntil([&] { return core->GetSession().Connection().connected; }));
    EXPECT_TRUE(rack->Watches().Find("127.0.0.2")->SharesFocused());
    EXPECT_TRUE(WaitUntil([&] { return sim.Do("info 127.0.0.2").find("clients=1 ") != std::string::npos; }))
        << "the watch gave its link up to the focused session";
    EXPECT_EQ(Cell("127.0.0.2", RackModel::Link), "up");

    // Fan alarms turned off in the settings: the fault shows, no alarm is raised; both choices kept.
    RackSettingsDialog settings(rack->Settings(), window.get());
    settings.AlarmBox(AlarmKind::Fan)->setChecked(false);
    settings.KeepDays()->setValue(3);
    rack->Apply(settings.Chosen());
    ASSERT_EQ(sim.Do("health 127.0.0.2 fan 1 fault").substr(0, 2), "ok");
    EXPECT_TRUE(WaitUntil([&] { return Cell("127.0.0.2", RackModel::Fans) == "fault: 1"; }));
    EXPECT_EQ(Cell("127.0.0.2", RackModel::Alarms), "");
    const RackSettings kept = RackSettings::Load(*profile);
    EXPECT_FALSE(kept.Alarm(AlarmKind::Fan));
    EXPECT_TRUE(kept.Alarm(AlarmKind::Power));
    EXPECT_EQ(kept.keepDays, 3);
}

}  // namespace
}  // namespace velmar
