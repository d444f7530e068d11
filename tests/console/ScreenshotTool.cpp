// Renders the main window connected to the simulated K5A "Studio A" into a PNG, for the README,
// and with a second file the routing area after a few hundred crosspoints were set:
//   xvfb-run -a -s "-screen 0 1280x800x24" build/bin/velmar-screenshot
//       docs/screenshots/main-window.png docs/screenshots/routing.png
#include <QComboBox>
#include <QListWidget>
#include <QPixmap>
#include <QRadioButton>
#include <QTreeView>
#include <cstdio>

#include "features/routing/core/RoutingUnit.h"
#include "tests/console/ScreenshotRig.h"

int main(int argc, char** argv) {
    using namespace velmar;
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: velmar-screenshot <window.png> [<routing.png>]\n");
        return 2;
    }
    test::ScreenshotRig rig;
    MainWindow& window = rig.Window();
    window.show();
    const bool online = rig.ConnectListed("127.0.0.2") && test::WaitUntil([&] {
                            return window.StatusGroup().FieldWidget(DeviceStatusGroup::Rate).text() ==
                                   QStringLiteral("48 kHz");
                        });
    QTest::qWait(1500);  // the crosspoint list fills in runs
    if (!online) {
        std::fprintf(stderr, "velmar-screenshot: the rack did not come up in the window\n");
        return 1;
    }
    if (!window.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "velmar-screenshot: cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s: %s\n", argv[1], window.windowTitle().toUtf8().constData());
    if (argc == 3) {
        // Cards, MADI and SFP outputs fed from all over the frame, as a busy studio would have them.
        Session& session = window.GetSession();
        for (std::int32_t output = 1; output <= session.Channels(); output += output < 600 ? 3 : 5) {
            session.Feature<RoutingUnit>().SetCrosspoint(output, (output * 37) % session.Channels() + 1);
        }
        QTest::qWait(1500);
        RoutingArea& routing = window.Routing();
        routing.Control().StereoButton()->setChecked(true);
        for (const auto& [side, type] :
             {std::pair{RouteSide::Input, RouteType::kAes}, {RouteSide::Output, RouteType::kMadi}}) {
            QComboBox* selector = routing.Control().TypeSelector(side);
            selector->setCurrentIndex(selector->findData(type));
            routing.Control().FillChannelList(side, type);
            for (int row : {2, 3, 4}) {
                if (QListWidgetItem* item = routing.Control().ChannelList(side)->item(row))
                    item->setSelected(true);
            }
        }
        routing.Status().View()->selectionModel()->select(
            routing.Status().Model().index(4, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        if (!routing.grab().save(QString::fromLocal8Bit(argv[2]))) {
            std::fprintf(stderr, "velmar-screenshot: cannot write %s\n", argv[2]);
            return 1;
        }
        std::printf("%s: %d crosspoints listed\n", argv[2], routing.Status().Model().rowCount());
    }
    return 0;
}
