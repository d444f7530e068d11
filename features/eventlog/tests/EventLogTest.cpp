#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <memory>

#include "console/MainWindow.h"
#include "features/eventlog/view/EventLogDock.h"
#include "features/eventlog/view/EventLogViews.h"
#include "features/routing/core/ChannelNames.h"
#include "features/routing/core/RoutingUnit.h"
#include "features/routing/view/RoutingGrid.h"
#include "platform/qt/QtFilePicker.h"
#include "platform/qt/QtProfileStore.h"
#include "tests/console/ConsoleTestSupport.h"
#include "tests/support/SimProcess.h"
#include "tools/InstallTools.h"
#include "tools/WindowManners.h"

namespace velmar {
namespace {

using test::WaitUntil;

class EventLogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::EnsureApplication();
        sim.ExportPorts();
        ASSERT_TRUE(dir.isValid());
        profile = std::make_unique<QtProfileStore>(dir.filePath(QStringLiteral("profile.ini")));
        core = std::make_unique<ConsoleCore>(ConsoleOptions{},
                                             ConsoleServices{&prompter, &files, profile.get()});
        window = std::make_unique<MainWindow>(*core);
        dock = &InstallEventLog(*window, *core);
        window->show();
    }

    bool Logged(const QString& text) const {
        return !dock->Entries()->findItems(text, Qt::MatchContains).isEmpty();
    }
    int VisibleEntries() const {
        int shown = 0;
        for (int row = 0; row < dock->Entries()->count(); ++row)
            shown += dock->Entries()->isRowHidden(row) ? 0 : 1;
        return shown;
    }
    void ConnectToStudio() {
        ASSERT_TRUE(WaitUntil([&] {
            for (std::size_t i = 0; i < window->Finder().List().Rows().size(); ++i) {
                if (window->Finder().List().Rows()[i].Column(DeviceColumn::Address) == "127.0.0.2") {
                    window->ConnectRow(static_cast<int>(i));
                    return true;
                }
            }
            return false;
        }));
        ASSERT_TRUE(WaitUntil([&] { return window->GetSession().Connection().connected; }));
    }

    test::SimProcess sim;
    QTemporaryDir dir;
    std::unique_ptr<QtProfileStore> profile;
    test::ScriptedPrompter prompter;
    test::ScriptedFilePicker files;
    std::unique_ptr<ConsoleCore> core;
    std::unique_ptr<MainWindow> window;
    EventLogDock* dock = nullptr;
};

TEST_F(EventLogTest, ALostLinkSaysWhyAndTheFrameIsReconnectedWhenItAnswersAgain) {
    ConnectToStudio();
    EXPECT_TRUE(WaitUntil([&] { return Logged("info  Connected to Studio A (127.0.0.2)."); }));
    EXPECT_FALSE(dock->ReconnectButton()->isVisibleTo(dock));

    sim.Do("fault 127.0.0.2 close");
    ASSERT_TRUE(WaitUntil([&] { return !window->GetSession().Connection().connected; }));
    EXPECT_TRUE(Logged("The link to 127.0.0.2 was lost: the frame closed the connection."));
    EXPECT_TRUE(Logged("info  Disconnected from Studio A (127.0.0.2)."));
    EXPECT_TRUE(dock->ReconnectButton()->isVisibleTo(dock));
    dock->ReconnectButton()->click();
    ASSERT_TRUE(WaitUntil([&] { return window->GetSession().Connection().connected; }));
    EXPECT_FALSE(dock->ReconnectButton()->isVisibleTo(dock));

    // The box works when ticked after the loss, too.
    sim.Do("fault 127.0.0.2 close");
    ASSERT_TRUE(WaitUntil([&] { return !window->GetSession().Connection().connected; }));
    QTest::qWait(1200);
    dock->AutoReconnect()->setChecked(true);
    EXPECT_TRUE(WaitUntil([&] { return window->GetSession().Connection().connected; }));

    // A frame that goes quiet is found again through its echo once it answers.
    dock->AutoReconnect()->setChecked(true);
    sim.Do("fault 127.0.0.2 silent");
    ASSERT_TRUE(
        WaitUntil([&] { return !window->GetSession().Connection().connected; }, std::chrono::seconds(20)));
    EXPECT_TRUE(Logged("The link to 127.0.0.2 was lost: the frame stopped answering."));
    QTest::qWait(1500);
    EXPECT_FALSE(window->GetSession().Connection().connected) << "nothing while the frame is silent";
    sim.Do("fault 127.0.0.2 clear");
    EXPECT_TRUE(WaitUntil([&] { return window->GetSession().Connection().connected; }));
    EXPECT_TRUE(prompter.shown.empty()) << "the log says it; no dialog";

    // The log offers the routing area's undo, and says what it did.
    Session& session = window->GetSession();
    ASSERT_TRUE(WaitUntil([&] { return session.IsReady() && session.Channels() == 1536; }));
    const std::int32_t before = session.Feature<RoutingUnit>().Crosspoints()[599];
    window->Routing().Grid().Grid().SetCursor(600, 1);
    window->Routing().Grid().Grid().RouteAtCursor();
    ASSERT_TRUE(WaitUntil([&] { return session.Feature<RoutingUnit>().Crosspoints()[599] == 1; }));
    const auto buttons = dock->findChildren<QPushButton*>();
    const auto undo = std::find_if(buttons.begin(), buttons.end(),
                                   [](const QPushButton* b) { return b->text() == "Undo routing"; });
    ASSERT_NE(undo, buttons.end());
    (*undo)->click();
    EXPECT_TRUE(WaitUntil([&] { return session.Feature<RoutingUnit>().Crosspoints()[599] == before; }));
    EXPECT_TRUE(Logged(QString::fromUtf8("info  Undo MADI 08: ") +
                       QString::fromStdString(SourceText(before)) + QString::fromUtf8(" \u2192 CARD1 01")));

    // A refusal carries the frame's status; the level filter keeps only what went wrong.
    sim.Do("fault 127.0.0.2 status scross 5");
    window->GetSession().Feature<RoutingUnit>().SetCrosspoint(3, 4);
    ASSERT_TRUE(WaitUntil([&] { return Logged("(status 5)"); }));
    EXPECT_TRUE(Logged("warning  The frame refused to feed CARD1 03 from CARD1 04 (status 5)"));
    // What a window tells the operator in a message box stays in the log.
    files.names = {"/nonexistent/folder/routes.xpt"};
    window->Routing().Status().SaveCrosspoints(false);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_TRUE(
        Logged("warning  The crosspoints were not saved: /nonexistent/folder/routes.xpt could not be "
               "written as a crosspoint snapshot: No such file or directory; the old file is kept."));
    dock->Level()->setCurrentIndex(1);
    EXPECT_EQ(VisibleEntries(), 5) << "three lost links, one refusal, one file not written";
    dock->Filter()->setText(QStringLiteral("closed"));
    EXPECT_EQ(VisibleEntries(), 2);
}

TEST_F(EventLogTest, WhatTheFrameReportsChangingIsSaidOnceWithItsNameAndLevel) {
    ConnectToStudio();
    Session& session = window->GetSession();
    ASSERT_TRUE(WaitUntil([&] { return session.IsReady() && session.State().live.actualRate == 2; }));
    const auto count = [&](const QString& text) {
        return static_cast<int>(dock->Entries()->findItems(text, Qt::MatchContains).size());
    };
    const auto twice = [&](const std::string& command) {
        sim.Do(command);
        sim.Do(command);
    };
    twice("state 127.0.0.2 gpsustatus 2 1");
    twice("state 127.0.0.2 gfanstatus 3 1");
    twice("state 127.0.0.2 gsyncstat 2 1");
    twice("state 127.0.0.2 gactrate 4");
    twice("trip 127.0.0.2 in 5");
    const QString frame = QStringLiteral("Studio A (127.0.0.2): ");
    const QString trip = "warning  " + frame + "the level detector of input " +
                         QString::fromStdString(ChannelText(5)) + " tripped.";
    ASSERT_TRUE(WaitUntil([&] { return count(trip) > 0; }));
    QTest::qWait(300);  // the state poll asks again: nothing more is said
    EXPECT_EQ(count("error  " + frame + "power supply 2 is faulty."), 1);
    EXPECT_EQ(count("error  " + frame + "fan 3 is faulty."), 1);
    EXPECT_EQ(count("info  " + frame + "sync source is now Word (was Internal)."), 1);
    EXPECT_EQ(count("warning  " + frame + "no sync lock on Word."), 1);
    EXPECT_EQ(count("info  " + frame + "sample rate is now 96 kHz (was 48 kHz)."), 1);
    EXPECT_EQ(count(trip), 1);

    sim.Do("state 127.0.0.2 gpsustatus 2 0");
    sim.Do("state 127.0.0.2 gsyncstat 2 0");
    EXPECT_TRUE(WaitUntil([&] { return count("info  " + frame + "power supply 2 is OK again.") == 1; }));
    EXPECT_TRUE(WaitUntil([&] { return count("info  " + frame + "sync locked on Word again.") == 1; }));
}

TEST_F(EventLogTest, TheWindowFitsTheScreenKeepsItsPlaceAndEnterConnects) {
    InstallWindowManners(*window, *core);
    const QSize screen = window->screen()->availableGeometry().size();
    EXPECT_EQ(window->minimumSize(),
              QSize(WindowManners::kMinimumWidth, WindowManners::kMinimumHeight).boundedTo(screen));
    EXPECT_LE(window->width(), screen.width());
    EXPECT_LE(window->height(), screen.height());

    auto* splitter = window->findChild<QSplitter*>(QStringLiteral("MainSplitter"));
    ASSERT_NE(splitter, nullptr);
    window->resize(780, 560);
    QTest::qWait(50);
    splitter->setSizes({200, 500});
    const QList<int> sizes = splitter->sizes();
    const QSize size = window->size();
    window->close();

    // The next window on the same profile opens as the last one closed.
    MainWindow next(*core);
    InstallEventLog(next, *core);
    InstallWindowManners(next, *core);
    next.show();
    QTest::qWait(50);
    EXPECT_EQ(next.findChild<QSplitter*>(QStringLiteral("MainSplitter"))->sizes(), sizes);
    EXPECT_EQ(next.size(), size);

    // File dialogs start where the last file was chosen, or at home when that folder is gone.
    QtFilePicker picker;
    picker.SetProfile(profile.get());
    EXPECT_EQ(picker.StartFolder(), QDir::homePath());
    profile->Write("Files", "LastFolder", dir.path().toStdString());
    EXPECT_EQ(picker.StartFolder(), dir.path());
    profile->Write("Files", "LastFolder", dir.filePath(QStringLiteral("gone")).toStdString());
    EXPECT_EQ(picker.StartFolder(), QDir::homePath());

    // Enter on a device row connects it.
    ASSERT_TRUE(WaitUntil([&] {
        const auto& rows = next.Finder().List().Rows();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].Column(DeviceColumn::Address) == "127.0.0.2") {
                next.DeviceListWidget().SelectRow(static_cast<int>(i));
                return true;
            }
        }
        return false;
    }));
    QTest::keyClick(&next.DeviceListWidget(), Qt::Key_Return);
    EXPECT_TRUE(WaitUntil([&] { return next.GetSession().Connection().connected; }));
}

}  // namespace
}  // namespace velmar
