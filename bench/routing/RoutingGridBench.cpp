// How the routing grid keeps up with a 1536 x 1536 frame: one paint of the grid as shown at
// three zooms, and a storm of 1536 single-crosspoint notifications followed by the paint that
// shows them. Every output is routed and every channel labelled, so every visible row has its
// mark and every name its label.
// Run offscreen: QT_QPA_PLATFORM=offscreen velmar-bench-grid
#include <QApplication>
#include <QElapsedTimer>
#include <QTabWidget>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchFakes.h"
#include "features/routing/core/RoutingUnit.h"
#include "features/routing/view/RoutingArea.h"
#include "features/routing/view/RoutingGrid.h"
#include "tests/device/CoreFakes.h"

namespace velmar {
namespace {

using bench::NoFiles;
using bench::SilentPrompter;

struct Figures {
    double median;
    double min;
    double max;
    std::size_t runs;
};

Figures Summarise(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return {samples[samples.size() / 2], samples.front(), samples.back(), samples.size()};
}

void Print(const char* what, const Figures& f) {
    std::printf("%s: median %.2f ms (min %.2f, max %.2f, %zu runs)\n", what, f.median, f.min, f.max, f.runs);
}

int Run() {
    test::FakeTimerService timers;
    test::RecordingTransport transport;
    test::FakeDatagramSocket datagrams;
    Session session(transport, datagrams, timers, LinkPorts{}, ConsoleOptions{});
    SilentPrompter prompter;
    NoFiles files;
    RoutingArea area(RoutingContext{session, prompter, files}, nullptr);
    area.resize(1600, 1000);
    area.Views().setCurrentWidget(&area.Grid());
    area.show();

    session.Connect("127.0.0.2", DeviceMode::Application, ModelClass::Full);
    transport.FinishConnect(0);
    transport.Deliver(":gswver,0,2,'Main','2.0.0.1'\r");
    // Every channel labelled on both sides: the axes draw the most text they can.
    for (std::size_t o = 0; o < 1536; ++o) {
        session.Feature<RoutingUnit>().MutableCrosspoints()[o] = static_cast<std::int32_t>(1536 - o);
        session.MutableState().config.inputLabels[o].Assign("Source " + std::to_string(o + 1));
        session.MutableState().config.outputLabels[o].Assign("Dest " + std::to_string(o + 1));
    }
    area.Grid().Rebuild();
    QApplication::processEvents();
    CrosspointGrid& grid = area.Grid().Grid();
    std::printf("grid: %zu lines per axis, viewport %dx%d\n", grid.Axis().Lines().size(),
                grid.viewport()->width(), grid.viewport()->height());

    for (const int cell : {14, 8, 4}) {
        grid.SetCellSize(cell);
        QApplication::processEvents();
        std::vector<double> paints;
        for (int round = 0; round < 31; ++round) {
            QElapsedTimer timer;
            timer.start();
            grid.viewport()->repaint();
            paints.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        }
        const std::string what = "one paint, " + std::to_string(cell) + " px cells (" +
                                 std::to_string((grid.viewport()->width() - 150) / cell) + " x " +
                                 std::to_string((grid.viewport()->height() - 120) / cell) + " cells shown)";
        Print(what.c_str(), Summarise(paints));
    }

    grid.SetCellSize(8);
    std::vector<double> storms;
    for (int round = 0; round < 11; ++round) {
        // 1536 notifications in one chunk, as a burst from another console arrives.
        std::string storm;
        for (int o = 1; o <= 1536; ++o)
            storm += "%gcross," + std::to_string(o) + "," + std::to_string((o + round) % 1536 + 1) + "\r";
        QElapsedTimer timer;
        timer.start();
        transport.Deliver(storm);
        QApplication::processEvents();  // the paint the updates asked for
        storms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    Print("1536 notifications through the dispatcher, grid painted (8 px cells)", Summarise(storms));
    return 0;
}

}  // namespace
}  // namespace velmar

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    return velmar::Run();
}
