// Renders the PPM, manual IP routing and automatic IP routing windows connected to the simulated
// K5A "STUDIO-A", with a few streams, flows and routes made first, into PNGs for the README:
//   xvfb-run -a -s "-screen 0 1280x800x24" build/bin/velmar-screenshot-netaudio docs/screenshots
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QTreeWidget>
#include <cstdio>

#include "cli/HeadlessConsole.h"
#include "features/networkaudio/core/NetworkAudioUnit.h"
#include "features/networkaudio/view/AutoIpRoutingDialog.h"
#include "features/networkaudio/view/ManualIpRoutingDialog.h"
#include "features/ppm/view/PpmDialog.h"
#include "tests/console/ScreenshotRig.h"
#include "widgets/IpAddressEdit.h"

namespace {

using namespace velmar;

// Lets the frame answer and the window draw.
void Settle() {
    QTest::qWait(600);
}

bool Save(QWidget& window, const QString& folder, const char* name) {
    window.show();
    QApplication::processEvents();
    const QString path = QDir(folder).filePath(QString::fromLatin1(name));
    if (!window.grab().save(path)) {
        std::fprintf(stderr, "velmar-screenshot-netaudio: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: velmar-screenshot-netaudio <folder>\n");
        return 2;
    }
    test::ScreenshotRig rig;
    Session& session = rig.GetSession();
    test::ScriptedPrompter& prompter = rig.Prompter();
    HeadlessConsole view(session);
    if (!rig.Connect("127.0.0.2", [&] { return view.FrameRead(); })) {
        std::fprintf(stderr, "velmar-screenshot-netaudio: the simulated frame was not read\n");
        return 1;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    {
        PpmDialog dialog(session, prompter, nullptr);
        for (const char* count : {"64", "16", "8"}) {
            dialog.ChannelCountField()->setText(QString::fromLatin1(count));
            dialog.Create();
        }
        Settle();
        dialog.StreamList()->topLevelItem(1)->setSelected(true);
        dialog.FirstChannelField()->setText("65");
        dialog.AssignSelected(false);
        dialog.ToggleSelected();
        Settle();
        dialog.ShowAssignment(2);
        Settle();
        if (!Save(dialog, folder, "ppm-streams.png"))
            return 1;
    }
    {
        ManualIpRoutingDialog dialog(session, prompter, {}, nullptr);
        Settle();
        dialog.TxAddressField()->SetAddress(0x0A00004D);
        dialog.CreateTx();
        Settle();
        dialog.TxSlotsField()->setText("8");
        dialog.TxAddressField()->SetAddress(0x0A00004E);
        dialog.CreateTx();
        dialog.RxSlotsField()->setText("2");
        dialog.RxLatencyField()->setText("1000");
        dialog.CreateRx();
        dialog.UnicastBox()->click();
        Settle();
        if (!Save(dialog, folder, "manual-ip-routing.png"))
            return 1;
    }
    session.Feature<NetworkAudioUnit>().SetAutoRoute(true);
    {
        AutoIpRoutingDialog dialog(session, prompter, nullptr);
        Settle();
        dialog.SourceHostField()->setText("WALLBOX");
        for (int x = 1; x <= 4; ++x) {
            dialog.DestinationField()->setText(QString::number(x));
            dialog.SourceField()->setText(QString::number(x + 8));
            dialog.Connect();
        }
        Settle();
        if (!Save(dialog, folder, "automatic-ip-routing.png"))
            return 1;
    }
    session.Disconnect();
    return 0;
}
