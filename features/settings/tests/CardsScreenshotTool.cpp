// Renders the card configuration page and the hardware configuration window, filled from the
// simulated K5A "Studio A", into PNGs for the README:
//   xvfb-run -a -s "-screen 0 1280x800x24" build/bin/velmar-cards-screenshot
//       docs/screenshots/card-configuration.png docs/screenshots/hw-configuration.png
#include <QTest>
#include <cstdio>

#include "features/settings/view/CardConfigPage.h"
#include "features/settings/view/HwConfigWindow.h"
#include "tests/console/ScreenshotRig.h"
#include "widgets/EditableGrid.h"

int main(int argc, char** argv) {
    using namespace velmar;
    if (argc != 3) {
        std::fprintf(stderr, "usage: velmar-cards-screenshot <card-page.png> <hw-window.png>\n");
        return 2;
    }
    test::ScreenshotRig rig;
    Session& session = rig.GetSession();
    // The MADI card's mode is among the last card answers.
    const bool read = rig.Connect("127.0.0.2", [&] { return session.State().config.cards[4].mode == 1; });
    QTest::qWait(500);
    if (!read) {
        std::fprintf(stderr, "velmar-cards-screenshot: the frame was not read\n");
        return 1;
    }

    CardConfigPage page(session.Capabilities().cards);
    page.resize(560, 760);
    page.LoadControls(session.State().config, session.Capabilities().cards);
    page.show();
    page.SelectSlot(5);
    page.Grid().EditCell(page.GridRow("1:Output channel count"), 2);
    QTest::qWait(200);
    const bool cardSaved = page.grab().save(QString::fromLocal8Bit(argv[1]));
    page.Grid().EndEdit(false);

    HwConfigWindow window(session.State().config);
    window.show();
    QTest::qWait(200);
    const bool hwSaved = window.grab().save(QString::fromLocal8Bit(argv[2]));
    if (!cardSaved || !hwSaved) {
        std::fprintf(stderr, "velmar-cards-screenshot: cannot write the images\n");
        return 1;
    }
    session.Disconnect();
    return 0;
}
