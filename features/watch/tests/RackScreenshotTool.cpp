// Renders the rack view for the README: the simulated rack of four frames, every one watched, a
// supply fault raised on one of them and a fan fault raised and cleared on another (still open
// until acknowledged); the first is focused in the main window, its watch sharing that link:
//   scripts/isolated.sh build/bin/velmar-rack-screenshot docs/screenshots/rack.png   (offscreen)
#include <QTableView>
#include <cstdio>

#include "console/FeatureViews.h"
#include "features/eventlog/view/EventLogViews.h"
#include "features/watch/view/Rack.h"
#include "features/watch/view/RackDock.h"
#include "tests/console/ScreenshotRig.h"

int main(int argc, char** argv) {
    using namespace velmar;
    if (argc != 2) {
        std::fprintf(stderr, "usage: velmar-rack-screenshot <rack.png>\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    test::ScreenshotRig rig;
    // The picture's alarms go to a history of its own.
    qputenv("VELMAR_HISTORY", rig.TempPath(QStringLiteral("history.sqlite")).toUtf8());
    MainWindow& window = rig.Window();
    InstallEventLog(window, rig.Core());
    WatchInstallViews(window, rig.Core());
    Rack& rack = *rig.Core().Find<Rack>();
    RackDock& dock = *window.findChild<RackDock*>();
    window.show();
    const auto value = [&](const char* address, const char* what) {
        const FrameWatch* watch = rack.Watches().Find(address);
        return watch != nullptr ? watch->Value(what) : std::string();
    };
    if (!rig.ConnectListed("127.0.0.2") || !test::WaitUntil([&] {
            return value("127.0.0.2", "psu2") == "ok" && value("127.0.0.3", "fan1") == "ok" &&
                   !value("127.0.0.3", "sample-rate").empty() && !value("127.0.0.4", "sync").empty();
        })) {
        std::fprintf(stderr, "velmar-rack-screenshot: the rack did not come up\n");
        return 1;
    }
    rig.Sim().Do("health 127.0.0.2 psu 2 fault");
    rig.Sim().Do("health 127.0.0.3 fan 1 fault");
    test::WaitUntil([&] { return value("127.0.0.3", "fan1") == "fault"; });
    rig.Sim().Do("health 127.0.0.3 fan 1 ok");
    rig.Sim().Do("health 127.0.0.2 sync 5 unlocked");
    test::WaitUntil(
        [&] { return value("127.0.0.3", "fan1") == "ok" && value("127.0.0.2", "sync") == "unlocked"; });
    QTest::qWait(300);
    dock.setFloating(true);
    dock.resize(1440, 220);
    dock.View()->resizeColumnsToContents();
    QTest::qWait(100);
    if (!dock.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "velmar-rack-screenshot: cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s: %d frames\n", argv[1], rack.Model().rowCount());
    return 0;
}
