// Renders the main window connected to the simulated K5A "Studio A" into a PNG, for the README:
//   xvfb-run -a -s "-screen 0 1280x800x24" build/bin/velmar-screenshot docs/screenshots/main-window.png
#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <cstdio>

#include "console/CQuvelDlg.h"
#include "console/QtProfileStore.h"
#include "tests/console/ConsoleTestSupport.h"
#include "tests/support/SimProcess.h"

int main(int argc, char** argv) {
    using namespace velmar;
    if (argc != 2) {
        std::fprintf(stderr, "usage: velmar-screenshot <file.png>\n");
        return 2;
    }
    setenv("VELMAR_INTERFACES", "lo", 1);
    QApplication& app = test::EnsureApplication();
    app.setApplicationName(QStringLiteral("Velmar"));
    test::SimProcess sim;
    sim.ExportPorts();
    QtProfileStore profile(QDir::temp().filePath(QStringLiteral("velmar-screenshot.ini")));
    test::ScriptedPrompter prompter;
    CQuvelDlg window(ConsoleOptions{}, ConsoleServices{&prompter, nullptr, &profile});
    window.show();
    const bool listed = test::WaitUntil([&] { return window.Finder().List().Size() == 4; });
    QTest::qWait(800);  // let the saved-device reload pass
    const auto& rows = window.Finder().List().Rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].Column(DeviceColumn::Address) == "127.0.0.2") window.ConnectRow(static_cast<int>(i));
    }
    const bool online = test::WaitUntil([&] {
        return window.SettingsButton().isEnabled() &&
               window.StatusGroup().FieldWidget(DeviceStatusGroup::Rate).text() == QStringLiteral("48 kHz");
    });
    QTest::qWait(1500);  // the crosspoint list fills in runs
    if (!listed || !online) {
        std::fprintf(stderr, "velmar-screenshot: the rack did not come up in the window\n");
        return 1;
    }
    if (!window.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "velmar-screenshot: cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s: %s\n", argv[1], window.windowTitle().toUtf8().constData());
    return 0;
}
