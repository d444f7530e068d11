// Renders the health timeline of a frame over a generated day, for the README:
//   scripts/isolated.sh build/bin/velmar-timeline-screenshot docs/screenshots   (offscreen)
// writes health-timeline.png there. No frame is needed: the day is written into a history of
// its own first.
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>

#include "features/watch/core/SqliteHealthHistory.h"
#include "features/watch/view/TimelineWindow.h"
#include "tests/console/ConsoleTestSupport.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::system_clock;

}  // namespace

int main(int argc, char** argv) {
    using namespace velmar;
    if (argc != 2) {
        std::fprintf(stderr, "usage: velmar-timeline-screenshot <folder>\n");
        return 2;
    }
    test::EnsureApplication();
    QTemporaryDir scratch;
    const std::string path = scratch.filePath(QStringLiteral("history.sqlite")).toStdString();
    // 2026-12-08 10:00 UTC.
    const Clock::time_point now =
        Clock::time_point(std::chrono::sys_days(std::chrono::year(2026) / 12 / 8).time_since_epoch() + 10h);
    const std::string frame = "127.0.0.2";
    // A studio's day: a supply fails and is replaced, the house clock drops out for forty
    // minutes, a session at 96 kHz, a network switch rebooted, a fan that clogged for a while.
    const std::vector<HealthChanged> day{
        {frame, "link", "", "up", now - 30h},
        {frame, "name", "", "Studio A", now - 30h},
        {frame, "psu1", "", "ok", now - 30h},
        {frame, "psu2", "", "ok", now - 30h},
        {frame, "fan1", "", "ok", now - 30h},
        {frame, "fan2", "", "ok", now - 30h},
        {frame, "sync-source", "", "Word clock", now - 30h},
        {frame, "sync", "", "locked", now - 30h},
        {frame, "sample-rate", "", "48 kHz", now - 30h},
        {frame, "psu2", "ok", "fault", now - 20h},
        {frame, "psu2", "fault", "ok", now - 18h - 40min},
        {frame, "sync", "locked", "unlocked", now - 13h},
        {frame, "sync-source", "Word clock", "Internal", now - 12h - 20min},
        {frame, "sync", "unlocked", "locked", now - 12h - 20min},
        {frame, "sync-source", "Internal", "Word clock", now - 11h},
        {frame, "sample-rate", "48 kHz", "96 kHz", now - 9h},
        {frame, "link", "up", "lost", now - 6h},
        {frame, "link", "lost", "up", now - 5h - 40min},
        {frame, "fan2", "ok", "fault", now - 2h - 30min},
        {frame, "fan2", "fault", "ok", now - 1h - 10min},
    };
    {
        SqliteHealthHistory history;
        if (const std::string failure = history.Open(path, SqliteHealthHistory::Access::ReadWrite);
            !failure.empty()) {
            std::fprintf(stderr, "velmar-timeline-screenshot: %s\n", failure.c_str());
            return 1;
        }
        for (const HealthChanged& change : day) {
            if (const std::string failure = history.Record(change); !failure.empty()) {
                std::fprintf(stderr, "velmar-timeline-screenshot: %s\n", failure.c_str());
                return 1;
            }
        }
    }
    test::ScriptedPrompter prompter;
    test::ScriptedFilePicker files;
    TimelineWindow window(frame, QStringLiteral("Studio A"), path, files, prompter, nullptr,
                          [now] { return now; });
    window.resize(1100, window.sizeHint().height());
    window.show();
    QTest::qWait(200);
    const QString out = QDir(QString::fromLocal8Bit(argv[1])).filePath(QStringLiteral("health-timeline.png"));
    if (!window.grab().save(out)) {
        std::fprintf(stderr, "velmar-timeline-screenshot: cannot write %s\n", out.toLocal8Bit().constData());
        return 1;
    }
    std::printf("%s\n", out.toLocal8Bit().constData());
    return 0;
}
