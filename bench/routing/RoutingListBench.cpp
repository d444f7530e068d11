// How long the crosspoint list takes to follow a 1536-channel frame: a full rebuild after the
// last crosspoint run, and a storm of single-crosspoint notifications, each shown and painted.
// Run offscreen: QT_QPA_PLATFORM=offscreen velmar-bench-routing
#include <QApplication>
#include <QElapsedTimer>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchFakes.h"
#include "features/routing/core/RoutingUnit.h"
#include "features/routing/view/RoutingArea.h"
#include "tests/device/CoreFakes.h"

namespace velmar {
namespace {

using bench::Median;
using bench::NoFiles;
using bench::SilentPrompter;

int Run() {
    test::FakeTimerService timers;
    test::RecordingTransport transport;
    test::FakeDatagramSocket datagrams;
    Session session(transport, datagrams, timers, LinkPorts{}, ConsoleOptions{});
    SilentPrompter prompter;
    NoFiles files;
    RoutingArea area(RoutingContext{session, prompter, files}, nullptr);
    area.resize(900, 600);
    area.show();

    session.Connect("127.0.0.2", DeviceMode::Application, ModelClass::Full);
    transport.FinishConnect(0);
    transport.Deliver(":gswver,0,2,'Main','2.0.0.1'\r");
    for (std::size_t o = 0; o < 1536; ++o)
        session.Feature<RoutingUnit>().MutableCrosspoints()[o] = static_cast<std::int32_t>(1536 - o);
    QApplication::processEvents();

    std::vector<double> rebuild;
    for (int round = 0; round < 21; ++round) {
        QElapsedTimer timer;
        timer.start();
        area.Status().Model().Refresh(CrosspointList::kRebuild, CrosspointList::kOutputColumn);
        area.Status().View()->viewport()->repaint();
        QApplication::processEvents();
        rebuild.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }

    // 1536 notifications in one chunk, as a burst from another console arrives.
    std::string storm;
    for (int o = 1; o <= 1536; ++o)
        storm += "%gcross," + std::to_string(o) + "," + std::to_string(o) + "\r";
    std::vector<double> notifications;
    for (int round = 0; round < 11; ++round) {
        QElapsedTimer timer;
        timer.start();
        transport.Deliver(storm);
        area.Status().View()->viewport()->repaint();
        QApplication::processEvents();
        notifications.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }

    std::printf("rows shown: %d\n", area.Status().Model().rowCount());
    std::printf("full rebuild of 1536 rows, painted: median %.2f ms (min %.2f, max %.2f, %zu runs)\n",
                Median(rebuild), *std::min_element(rebuild.begin(), rebuild.end()),
                *std::max_element(rebuild.begin(), rebuild.end()), rebuild.size());
    std::printf(
        "1536 single-row notifications through the dispatcher, painted: median %.2f ms (min %.2f, max %.2f, "
        "%zu runs)\n",
        Median(notifications), *std::min_element(notifications.begin(), notifications.end()),
        *std::max_element(notifications.begin(), notifications.end()), notifications.size());
    return 0;
}

}  // namespace
}  // namespace velmar

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    return velmar::Run();
}
