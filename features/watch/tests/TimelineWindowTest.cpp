#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "console/ConsoleCore.h"
#include "console/FeatureViews.h"
#include "console/MainWindow.h"
#include "features/watch/core/HealthCsv.h"
#include "features/watch/core/SqliteHealthHistory.h"
#include "features/watch/view/TimelineLanesView.h"
#include "features/watch/view/TimelineWindow.h"
#include "platform/qt/QtProfileStore.h"
#include "tests/console/ConsoleTestSupport.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TempFolder.h"

namespace velmar {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::system_clock;

// A history written by the test and a window on it whose clock the test holds.
class TimelineWindowTest : public ::testing::Test {
  protected:
    TimelineWindowTest() {
        std::filesystem::remove(path);
        Record({
            {"127.0.0.2", "link", "", "up", now - 72h},
            {"127.0.0.2", "psu1", "", "ok", now - 72h},
            {"127.0.0.2", "sync-source", "", "Word clock", now - 48h},
            {"127.0.0.2", "sync", "", "locked", now - 48h},
            {"127.0.0.2", "sample-rate", "", "48 kHz", now - 48h},
            {"127.0.0.2", "sample-rate", "48 kHz", "96 kHz", now - 5h},
            {"127.0.0.2", "psu1", "ok", "fault", now - 30min},
            {"127.0.0.2", "psu1", "fault", "ok", now - 10min},
            {"127.0.0.3", "psu1", "ok", "fault", now - 20min},
        });
    }
    ~TimelineWindowTest() override { std::filesystem::remove(path); }

    void Record(const std::vector<HealthChanged>& changes) {
        SqliteHealthHistory history;
        ASSERT_EQ(history.Open(path, SqliteHealthHistory::Access::ReadWrite), "");
        for (const HealthChanged& change : changes)
            ASSERT_EQ(history.Record(change), "");
    }
    std::unique_ptr<TimelineWindow> Open() {
        auto window = std::make_unique<TimelineWindow>("127.0.0.2", "Studio A", path, files, prompter,
                                                       nullptr, [this] { return now; });
        window->resize(1000, 400);
        window->show();
        return window;
    }

    const std::string path = test::OwnTempFolder() + "/timeline-history.sqlite";
    Clock::time_point now = Clock::time_point(1'800'000'000'000ms);
    test::ScriptedPrompter prompter;
    test::ScriptedFilePicker files;
};

TEST_F(TimelineWindowTest, OpensOnTheLastDayAndEachRangeButtonReadsTheHistoryAgain) {
    const auto window = Open();
    EXPECT_EQ(window->windowTitle(), "Health timeline - Studio A (127.0.0.2)");
    const TimelineLanesView& view = *window->Lanes();
    EXPECT_EQ(view.Range().to - view.Range().from, 24h);
    ASSERT_EQ(view.Lanes().size(), 5u);
    EXPECT_EQ(view.Lanes()[3].spans,
              (std::vector<LaneSpan>{{view.Range().from, now - 30min, "ok", SpanState::Ok},
                                     {now - 30min, now - 10min, "fault", SpanState::Fault},
                                     {now - 10min, view.Range().to, "ok", SpanState::Ok}}))
        << "the value carried in from three days ago, the other frame's fault not";
    EXPECT_EQ(view.Lanes()[2].spans.size(), 2u) << "48 kHz, then 96 kHz";
    EXPECT_EQ(window->Note()->text(), "3 changes in this range.");
    const QString tip = view.TipAt({view.XOf(now - 20min), view.LaneTop(3) + 5});
    EXPECT_TRUE(tip.startsWith("fault\nfrom ")) << tip.toStdString();
    EXPECT_TRUE(tip.endsWith("(20 min)")) << tip.toStdString();
    EXPECT_EQ(view.TipAt({2, view.LaneTop(3) + 5}), "") << "the lane's title is no span";

    // Later, a new change: pressing a range reads the history again.
    now += 5min;
    Record({{"127.0.0.2", "link", "up", "lost", now - 1min}});
    QTest::mouseClick(window->SpanButton(TimelineWindow::Span::Hour), Qt::LeftButton);
    EXPECT_EQ(view.Range().to - view.Range().from, 1h);
    EXPECT_EQ(view.Lanes()[0].spans.back(),
              (LaneSpan{now - 1min, view.Range().to, "lost", SpanState::Fault}));
    EXPECT_EQ(view.Lanes()[2].spans.front(),
              (LaneSpan{view.Range().from, now - 1min, "96 kHz", SpanState::Ok}));
    QTest::mouseClick(window->SpanButton(TimelineWindow::Span::Week), Qt::LeftButton);
    EXPECT_EQ(view.Range().to - view.Range().from, 7 * 24h);
}

TEST_F(TimelineWindowTest, ZoomsByWheelAndDragWithinTheRangeAndExportsWhatIsShown) {
    const auto window = Open();
    TimelineLanesView& view = *window->Lanes();
    EXPECT_FALSE(window->ResetButton()->isEnabled());
    // A drag from 40 to 5 minutes ago.
    const int y = view.LaneTop(1) + 5;
    QTest::mousePress(&view, Qt::LeftButton, {}, {view.XOf(now - 40min), y});
    QTest::mouseMove(&view, {view.XOf(now - 5min), y});
    QTest::mouseRelease(&view, Qt::LeftButton, {}, {view.XOf(now - 5min), y});
    EXPECT_LT(std::chrono::abs(view.Shown().from - (now - 40min)), 3min);
    EXPECT_LT(std::chrono::abs(view.Shown().to - (now - 5min)), 3min);
    EXPECT_TRUE(window->ResetButton()->isEnabled());

    const std::string csv = test::OwnTempFolder() + "/timeline.csv";
    files.names = {csv};
    window->ExportCsv();
    std::ifstream saved(csv, std::ios::binary);
    std::ostringstream bytes;
    bytes << saved.rdbuf();
    EXPECT_EQ(bytes.str(), HealthChangesCsv(std::vector<HealthChanged>{
                               {"127.0.0.2", "psu1", "ok", "fault", now - 30min},
                               {"127.0.0.2", "psu1", "fault", "ok", now - 10min}}));
    EXPECT_TRUE(prompter.shown.empty());
    files.names = {test::OwnTempFolder()};
    window->ExportCsv();
    ASSERT_EQ(prompter.shown.size(), 1u) << "a file not written is said";
    EXPECT_TRUE(prompter.shown[0].starts_with("warning: ")) << prompter.shown[0];

    // The wheel zooms out around the pointer, never past the range.
    for (int i = 0; i < 30; ++i) {
        QWheelEvent wheel(QPointF(view.XOf(now - 20min), y), view.mapToGlobal(QPointF(0, 0)), {}, {0, -120},
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&view, &wheel);
    }
    EXPECT_EQ(view.Shown().from, view.Range().from);
    EXPECT_EQ(view.Shown().to, view.Range().to);
    view.ZoomAt(view.XOf(now - 20min), 1e-9);
    EXPECT_EQ(view.Shown().to - view.Shown().from, 10s) << "zoomed in as far as it goes";
    QTest::mouseClick(window->ResetButton(), Qt::LeftButton);
    EXPECT_EQ(view.Shown().from, view.Range().from);
    std::filesystem::remove(csv);
}

TEST_F(TimelineWindowTest, AMissingHistoryIsSaidAndDrawnAsNotKnown) {
    std::filesystem::remove(path);
    const auto window = Open();
    EXPECT_EQ(window->Note()->text().toStdString(), "no history kept at " + path);
    for (const HealthLane& lane : window->Lanes()->Lanes())
        EXPECT_EQ(lane.spans, (std::vector<LaneSpan>{{window->Lanes()->Range().from,
                                                      window->Lanes()->Range().to, "", SpanState::Unknown}}));
}

TEST(TimelineFromTheDeviceMenu, OpensOnTheConnectedFrameByItsName) {
    test::EnsureApplication();
    test::SimProcess sim;
    sim.ExportPorts();
    QtProfileStore profile{QString::fromStdString(test::OwnTempFolder() + "/timeline-profile.ini")};
    test::ScriptedPrompter prompter;
    test::ScriptedFilePicker files;
    ConsoleCore core{ConsoleOptions{}, ConsoleServices{&prompter, &files, &profile}};
    MainWindow window{core};
    WatchInstallViews(window, core);
    core.GetSession().Connect("127.0.0.3", DeviceMode::Application, ModelClass::Full);
    ASSERT_TRUE(test::WaitUntil([&] { return core.GetSession().IsReady(); }));
    ASSERT_TRUE(test::WaitUntil([&] { return !core.GetSession().Connection().deviceNameText.Empty(); }));
    window.RunMenuCommand(MenuCommand::HealthTimeline);
    const auto* timeline = window.findChild<TimelineWindow*>();
    ASSERT_NE(timeline, nullptr);
    EXPECT_EQ(timeline->windowTitle(), "Health timeline - Wall box (127.0.0.3)");
    EXPECT_TRUE(timeline->isVisible());
}

}  // namespace
}  // namespace velmar
