// Not a test: keeps the console window connected to the simulated K5A for a number of minutes under
// a steady notification storm and a connect/disconnect cycle, and prints its resident memory once
// a minute, so a slow leak shows as a rising line. Run it with scripts/soak.sh.
#include <QDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "console/ConsoleCore.h"
#include "console/MainWindow.h"
#include "platform/qt/QtProfileStore.h"
#include "tests/console/ConsoleTestSupport.h"
#include "tests/support/SimProcess.h"

namespace {

// Resident and peak resident memory in KiB, from the kernel's own accounting.
std::pair<long, long> ResidentKiB() {
    std::ifstream status("/proc/self/status");
    long rss = 0;
    long peak = 0;
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            rss = std::atol(line.c_str() + 6);
        if (line.rfind("VmHWM:", 0) == 0)
            peak = std::atol(line.c_str() + 6);
    }
    return {rss, peak};
}

}  // namespace

int main(int argc, char** argv) {
    using namespace velmar;
    const int minutes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    setenv("VELMAR_INTERFACES", "lo", 1);
    QApplication& app = test::EnsureApplication();
    test::SimProcess sim;
    sim.ExportPorts();
    QtProfileStore profile(QDir::temp().filePath(QStringLiteral("velmar-soak.ini")));
    test::ScriptedPrompter prompter;  // a failed connect is answered and the cycle goes on
    ConsoleCore core(ConsoleOptions{}, ConsoleServices{&prompter, nullptr, &profile});
    MainWindow window(core);
    window.show();
    window.ConnectAddress("127.0.0.2");

    // About 400 crosspoint notifications a second, spread over the frame's outputs.
    int output = 0;
    QTimer storm;
    QObject::connect(&storm, &QTimer::timeout, [&] {
        for (int i = 0; i < 8; ++i) {
            output = output % 1536 + 1;
            sim.Do("state 127.0.0.2 gcross " + std::to_string(output) + " " + std::to_string(1537 - output));
        }
    });
    storm.start(20);

    // Every ten seconds the link goes down or comes back.
    int cycles = 0;
    QTimer cycle;
    QObject::connect(&cycle, &QTimer::timeout, [&] {
        Session& session = core.GetSession();
        if (session.Connection().connected) {
            session.Disconnect();
        } else {
            window.ConnectAddress("127.0.0.2");
            ++cycles;
        }
    });
    cycle.start(10000);

    int minute = 0;
    std::printf("minute  rss_kib  peak_kib  reconnects\n");
    const auto report = [&] {
        const auto [rss, peak] = ResidentKiB();
        std::printf("%6d  %7ld  %8ld  %10d\n", minute, rss, peak, cycles);
        std::fflush(stdout);
    };
    report();
    QTimer clock;
    QObject::connect(&clock, &QTimer::timeout, [&] {
        ++minute;
        report();
        if (minute >= minutes)
            app.quit();
    });
    clock.start(60000);
    app.exec();
    return 0;
}
