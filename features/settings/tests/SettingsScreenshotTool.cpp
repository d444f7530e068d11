// Renders the settings editor of the simulated K5A "Studio A" into PNGs for the README: the
// Network, Synchronization and Dante pages.
//   xvfb-run -a -s "-screen 0 1280x800x24" build/bin/velmar-settings-screenshot docs/screenshots
#include <QDir>
#include <QLineEdit>
#include <cstdio>

#include "features/settings/view/InstallSettings.h"
#include "features/settings/view/SettingsDialog.h"
#include "features/settings/view/SyncPriorityPage.h"
#include "tests/console/ScreenshotRig.h"
#include "widgets/EditableGrid.h"

int main(int argc, char** argv) {
    using namespace velmar;
    if (argc != 2) {
        std::fprintf(stderr, "usage: velmar-settings-screenshot <folder>\n");
        return 2;
    }
    test::ScreenshotRig rig;
    MainWindow& window = rig.Window();
    InstallSettings(window, rig.Core());
    window.show();
    if (!rig.ConnectListed("127.0.0.2")) {
        std::fprintf(stderr, "velmar-settings-screenshot: the frame did not come up\n");
        return 1;
    }
    QTest::qWait(500);
    window.SettingsButton().click();
    auto* editor = window.findChild<SettingsDialog*>();
    if (editor == nullptr)
        return 1;
    editor->resize(1120, 600);
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const std::pair<SettingsTab, const char*> shots[] = {{SettingsTab::Network, "settings-network.png"},
                                                         {SettingsTab::Synchronization, "settings-sync.png"},
                                                         {SettingsTab::Dante, "settings-dante.png"}};
    for (const auto& [tab, name] : shots) {
        editor->ShowTab(tab);
        if (tab == SettingsTab::Synchronization) {
            EditableGrid& grid = static_cast<SyncPriorityPage*>(editor->Page(tab))->Grid();
            grid.EditCell(1, 1);
        }
        QTest::qWait(200);
        const QString path = folder.filePath(QString::fromLatin1(name));
        if (!editor->grab().save(path)) {
            std::fprintf(stderr, "velmar-settings-screenshot: cannot write %s\n",
                         path.toLocal8Bit().constData());
            return 1;
        }
        std::printf("%s: %s\n", path.toLocal8Bit().constData(), editor->windowTitle().toUtf8().constData());
    }
    return 0;
}
