// The console's rack against a simulated rack, offscreen: resident memory once every frame is
// up, CPU while nothing changes, the time from a frame's change to its row, and the longest the
// event loop went without a turn while every frame connects. Not a test: it prints figures and
// their ratios to the targets, and asserts nothing about time. Run inside scripts/isolated.sh.
//   velmar-bench-rack [frames...]   (default: 64 250)

#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "console/ConsoleCore.h"
#include "features/watch/view/Rack.h"
#include "features/watch/view/RackDock.h"
#include "platform/qt/QtProfileStore.h"
#include "tests/console/ConsoleTestSupport.h"
#include "tests/support/SimProcess.h"

namespace velmar {
namespace {

double ResidentMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with("VmRSS:"))
            return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The longest wait between two turns of the event loop while it runs: a timer that asks for
// every millisecond notes how late it is.
class TurnGaps {
  public:
    TurnGaps() {
        timer_.setInterval(1);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout,
                         [this] { longest_ = std::max(longest_, clock_.restart()); });
    }
    void Start() {
        longest_ = 0;
        clock_.start();
        timer_.start();
    }
    qint64 Stop() {
        timer_.stop();
        return longest_;
    }

  private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 longest_ = 0;
};

std::string Address(int frame) {
    return "127.0.0." + std::to_string(2 + frame);
}

int Run(int frames) {
    test::SimProcess sim({"--frames", std::to_string(frames)});
    sim.ExportPorts();
    QTemporaryDir dir;
    qputenv("VELMAR_HISTORY", dir.filePath(QStringLiteral("history.sqlite")).toUtf8());
    QtProfileStore profile(dir.filePath(QStringLiteral("profile.ini")));
    test::ScriptedPrompter prompter;
    test::ScriptedFilePicker files;
    const double before = ResidentMegabytes();

    TurnGaps gaps;
    QElapsedTimer connecting;
    connecting.start();
    auto core = std::make_unique<ConsoleCore>(ConsoleOptions{}, ConsoleServices{&prompter, &files, &profile});
    core->Finder().Start();
    Rack& rack = core->Keep<Rack>(*core);
    RackDock dock(rack, {}, nullptr);
    dock.resize(1200, 800);
    dock.show();
    // What the window does once: made, shown, the history opened. The connect is what follows.
    const qint64 startMs = connecting.elapsed();
    gaps.Start();
    // Application-mode frames come up; the recovery one of the default rack is also watched.
    const auto allUp = [&] {
        int up = 0;
        for (int i = 0; i < frames; ++i) {
            const FrameWatch* watch = rack.Watches().Find(Address(i));
            up += watch != nullptr && !watch->Value("psu2").empty() ? 1 : 0;
        }
        return up >= frames - 1;
    };
    if (!test::WaitUntil(allUp, std::chrono::seconds(120))) {
        std::fprintf(stderr, "frames did not all come up\n");
        return 1;
    }
    const qint64 connectMs = connecting.elapsed();
    const qint64 longestGap = gaps.Stop();
    const qint64 upMs = connectMs - startMs;
    QTest::qWait(2000);  // the last replies and the history's first batch
    const double resident = ResidentMegabytes();

    const double cpuStart = CpuSeconds();
    QElapsedTimer idle;
    idle.start();
    // As the application waits: blocked in the loop until something happens (QTest::qWait would
    // wake every few milliseconds and poll every socket, and measure itself).
    QEventLoop quiet;
    QTimer::singleShot(30000, &quiet, &QEventLoop::quit);
    quiet.exec();
    const double cpuShare = (CpuSeconds() - cpuStart) / (double(idle.elapsed()) / 1000.0);

    // From the control command to the row's dataChanged, alternating fault and ok on frames
    // spread over the rack.
    std::vector<double> latencies;
    for (int i = 0; i < 20; ++i) {
        const std::string address = Address(1 + (i * 7) % (frames - 1));
        if (address == "127.0.0.5")
            continue;  // the default rack's recovery frame has no supplies to flip
        const int row = rack.Model().RowOf(address);
        const std::string to = rack.Watches().Find(address)->Value("psu1") == "fault" ? "ok" : "fault";
        bool seen = false;
        QEventLoop waiting;
        QElapsedTimer clock;
        const auto connection = QObject::connect(
            &rack.Model(), &QAbstractItemModel::dataChanged, [&](const QModelIndex& top, const QModelIndex&) {
                if (!seen && top.row() == row && rack.Watches().Find(address)->Value("psu1") == to) {
                    seen = true;
                    latencies.push_back(double(clock.nsecsElapsed()) / 1e6);
                    waiting.quit();
                }
            });
        clock.start();
        // The command's answer comes back on a pipe the loop does not watch: the time includes
        // that round trip, never the pause of a polling wait.
        sim.Do("health " + address + " psu 1 " + to);
        if (!seen) {
            QTimer::singleShot(5000, &waiting, &QEventLoop::quit);
            waiting.exec();
        }
        QObject::disconnect(connection);
    }
    std::sort(latencies.begin(), latencies.end());
    const double median = latencies.empty() ? -1 : latencies[latencies.size() / 2];

    std::printf(
        "frames %d: window up %lld ms, every frame up %lld ms later, resident %.1f MB (%.1f MB before the "
        "rack; %.2f of 80 MB), "
        "idle CPU %.2f %% of a core (%.2f of 2 %%), change to row median %.2f ms of %zu (%.2f of "
        "100 ms), longest loop gap while connecting %lld ms (%.2f of 50 ms)\n",
        frames, static_cast<long long>(startMs), static_cast<long long>(upMs), resident, before,
        resident / 80.0, cpuShare * 100.0, cpuShare * 100.0 / 2.0, median, latencies.size(), median / 100.0,
        static_cast<long long>(longestGap), double(longestGap) / 50.0);
    std::fflush(stdout);
    core.reset();
    return 0;
}

}  // namespace
}  // namespace velmar

int main(int argc, char** argv) {
    velmar::test::EnsureApplication();
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty())
        sizes = {64, 250};
    int failed = 0;
    for (const int frames : sizes)
        failed |= velmar::Run(frames);
    return failed;
}
