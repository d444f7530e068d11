// Renders the firmware update window in the middle of a run and the network settings dialog,
// both on the simulated K5A "Studio A", into PNGs for the README:
//   xvfb-run -a -s "-screen 0 1280x800x24" build/bin/velmar-tools-screenshot
//       docs/screenshots/firmware-update.png docs/screenshots/network-settings.png
#include <QPixmap>
#include <cstdio>

#include "features/firmware/view/FirmwareWindow.h"
#include "features/firmware/view/MaintenanceActions.h"
#include "features/firmware/view/NetworkSettingsDialog.h"
#include "tests/console/ScreenshotRig.h"
#include "tests/support/FlashImage.h"
#include "tests/tools/EventLoopWait.h"

int main(int argc, char** argv) {
    using namespace velmar;
    if (argc != 3) {
        std::fprintf(stderr, "usage: velmar-tools-screenshot <firmware.png> <network.png>\n");
        return 2;
    }
    test::ScreenshotRig rig;
    MainWindow& window = rig.Window();
    InstallMaintenance(window, rig.Core());
    window.show();
    if (!rig.ConnectListed("127.0.0.2")) {
        std::fprintf(stderr, "velmar-tools-screenshot: the rack did not come up\n");
        return 1;
    }

    // The frame stops acknowledging at record 4166, so the window holds still mid-run.
    rig.Sim().Do("fault 127.0.0.2 prog-stall 4166");
    const std::string image = rig.TempPath(QStringLiteral("studio-a-main-2.1.0.4.flash")).toStdString();
    test::WriteFlashImage(image, 10000);
    rig.Files().names = {image};
    rig.Prompter().answers = {true};
    window.RunMenuCommand(MenuCommand::FirmwareUpdate);
    auto* firmware = window.findChild<FirmwareWindow*>();
    firmware->FlashButton().click();
    test::RunLoopUntil([&] { return firmware->Bar().value() == 41; }, std::chrono::seconds(30));
    QTest::qWait(300);
    const bool firmwareSaved = firmware->grab().save(QString::fromLocal8Bit(argv[1]));
    rig.Sim().Do("fault 127.0.0.2 clear");
    window.GetSession().Disconnect();  // ends the run; the operator is told
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    delete window.findChild<FirmwareWindow*>();

    rig.ConnectListed("127.0.0.2");
    window.RunMenuCommand(MenuCommand::NetworkSettings);
    auto* network = window.findChild<NetworkSettingsDialog*>();
    QTest::qWait(300);
    const bool networkSaved = network != nullptr && network->grab().save(QString::fromLocal8Bit(argv[2]));
    if (!firmwareSaved || !networkSaved) {
        std::fprintf(stderr, "velmar-tools-screenshot: cannot write the pictures\n");
        return 1;
    }
    std::printf("%s\n%s\n", argv[1], argv[2]);
    return 0;
}
