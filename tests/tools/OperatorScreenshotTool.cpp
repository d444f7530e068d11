// Renders the routing grid (with the event log docked below) and a snapshot preview measured
// against the live routing, connected to the simulated K5A "Studio A", for the README:
//   xvfb-run -a -s "-screen 0 1280x800x24" build/bin/velmar-operator-screenshot
//       docs/screenshots/routing-grid.png docs/screenshots/snapshot-preview.png
#include <QTabWidget>
#include <cstdio>
#include <fstream>

#include "features/channeltools/core/ChannelToolsUnit.h"
#include "features/eventlog/view/EventLogDock.h"
#include "features/eventlog/view/EventLogViews.h"
#include "features/routing/core/RoutingUnit.h"
#include "features/routing/view/RoutingGrid.h"
#include "features/routing/view/SnapshotPreviewDialog.h"
#include "tests/console/ScreenshotRig.h"
#include "tools/InstallTools.h"

int main(int argc, char** argv) {
    using namespace velmar;
    if (argc != 3) {
        std::fprintf(stderr, "usage: velmar-operator-screenshot <grid.png> <preview.png>\n");
        return 2;
    }
    test::ScreenshotRig rig;
    MainWindow& window = rig.Window();
    EventLogDock& log = InstallEventLog(window, rig.Core());
    window.resize(1260, 780);
    window.resizeDocks({&log}, {150}, Qt::Vertical);
    window.show();
    const bool online = rig.ConnectListed("127.0.0.2");
    QTest::qWait(1500);
    if (!online) {
        std::fprintf(stderr, "velmar-operator-screenshot: the rack did not come up in the window\n");
        return 1;
    }
    Session& session = window.GetSession();
    // AES into MADI, MADI into SFP, and a refusal for the log.
    for (std::int32_t k = 0; k < 16; ++k)
        session.Feature<RoutingUnit>().SetCrosspoint(593 + k, 513 + k);
    for (std::int32_t k = 0; k < 24; ++k)
        session.Feature<RoutingUnit>().SetCrosspoint(657 + k, 593 + (k * 5) % 64);
    // Labels stand beside the names on both axes.
    for (std::int32_t k = 0; k < 8; ++k) {
        session.Feature<ChannelToolsUnit>().SetLabel(0, 513 + k, "Vocal " + std::to_string(k + 1));
        session.Feature<ChannelToolsUnit>().SetLabel(1, 593 + k, "Stage " + std::to_string(k + 1));
    }
    QTest::qWait(800);
    rig.Sim().Do("fault 127.0.0.2 status scross 5");
    session.Feature<RoutingUnit>().SetCrosspoint(612, 520);
    QTest::qWait(800);
    rig.Sim().Do("fault 127.0.0.2 clear");

    RoutingArea& routing = window.Routing();
    routing.Views().setCurrentWidget(&routing.Grid());
    CrosspointGrid& grid = routing.Grid().Grid();
    grid.SetCellSize(16);
    grid.Find("AES 01");
    grid.SetCursor(597, 517);
    QTest::qWait(300);
    if (!window.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "velmar-operator-screenshot: cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s: grid of %zu lines\n", argv[1], grid.Axis().Lines().size());

    // A hand-edited snapshot: some outputs change, some stay, some lines cannot be used.
    const std::string path = rig.TempPath(QStringLiteral("studio-a.xpt")).toStdString();
    std::ofstream(path, std::ios::binary) << "1=593,513\r\n2=594,520\r\n3=595,515\r\n4=596,530\r\n"
                                             "5=612,600\r\nMADI 21 from AES 3\r\n6=613,9999\r\n"
                                             "7=700,1\r\n8=594,521\r\n";
    SnapshotPreviewDialog preview(QString::fromStdString(path), session.Channels(),
                                  session.Feature<RoutingUnit>().Crosspoints(), &window);
    preview.show();
    QTest::qWait(300);
    if (!preview.grab().save(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "velmar-operator-screenshot: cannot write %s\n", argv[2]);
        return 1;
    }
    std::printf("%s: %s\n", argv[2], preview.Summary().toUtf8().constData());
    preview.reject();
    return 0;
}
