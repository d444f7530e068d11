// Renders the four channel-tool windows connected to the simulated K5A "Studio A", for the README:
//   scripts/isolated.sh build/bin/velmar-channel-tools-screenshot docs/screenshots   (offscreen)
// writes input-status.png, channel-labels.png, gain-settings.png and level-detectors.png there.
#include <QDir>
#include <QTableView>
#include <cstdio>
#include <string>

#include "features/channeltools/core/ChannelTools.h"
#include "features/channeltools/core/ChannelToolsUnit.h"
#include "features/channeltools/view/ChannelLabelsDialog.h"
#include "features/channeltools/view/ChannelTableModel.h"
#include "features/channeltools/view/GainDialog.h"
#include "features/channeltools/view/InputStatusWindow.h"
#include "features/leveldetectors/core/LevelDetectorUnit.h"
#include "features/leveldetectors/view/LevelDetectorDialog.h"
#include "tests/console/ScreenshotRig.h"
#include "tools/ChannelFindBox.h"
#include "widgets/EditableGrid.h"

namespace {

bool Save(QWidget& window, const QString& folder, const char* name) {
    const QString path = QDir(folder).filePath(QString::fromLatin1(name));
    if (!window.grab().save(path)) {
        std::fprintf(stderr, "velmar-channel-tools-screenshot: cannot write %s\n",
                     path.toLocal8Bit().constData());
        return false;
    }
    std::printf("%s\n", path.toLocal8Bit().constData());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace velmar;
    if (argc != 2) {
        std::fprintf(stderr, "usage: velmar-channel-tools-screenshot <folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    ConsoleOptions options;
    options.zel = true;  // every control on show
    test::ScreenshotRig rig(options);
    test::SimProcess& sim = rig.Sim();
    test::ScriptedPrompter& prompter = rig.Prompter();
    Session& session = rig.GetSession();
    if (!rig.Connect("127.0.0.2", [&] { return session.IsReady() && session.Channels() == 1536; })) {
        std::fprintf(stderr, "velmar-channel-tools-screenshot: the rack did not come up\n");
        return 1;
    }

    // A studio's afternoon: some inputs in trouble, labelled channels, gains and detectors set.
    for (const char* command :
         {"input 127.0.0.2 1 E-A", "input 127.0.0.2 3 ESa", "input 127.0.0.2 12 --a",
          "input 127.0.0.2 card 1 2 0 4 9", "state 127.0.0.2 ggain 0 3 -6.50 1 0",
          "state 127.0.0.2 ggain 1 4 3.05 0 1", "state 127.0.0.2 ggain 0 7 -12.00 0 1"}) {
        sim.Do(command);
    }
    const char* names[] = {"Kick", "Snare", "Hi-hat", "Tom 1", "Tom 2", "OH L", "OH R", "Bass DI"};
    for (std::int32_t ch = 1; ch <= 8; ++ch) {
        session.Feature<ChannelToolsUnit>().SetLabel(0, ch, names[ch - 1]);
        session.Feature<ChannelToolsUnit>().SetLabel(1, ch, DefaultLabel(1, ch));
    }
    for (std::int32_t ch : {2, 5, 6}) {
        session.Feature<LevelDetectorUnit>().SetLevelDetectorThresholds(
            0, ch, {{true, 40, 0}, 500, {true, 3, 50}, 2000});
        session.Feature<LevelDetectorUnit>().SetLevelDetectorState(0, ch, true);
    }
    QTest::qWait(500);
    sim.Do("trip 127.0.0.2 in 5");
    QTest::qWait(300);

    bool ok = true;
    {
        InputStatusWindow window(session, nullptr);
        window.show();
        QTest::qWait(200);
        ok = Save(window, folder, "input-status.png") && ok;
    }
    {
        ChannelLabelsDialog::RequestLabels(session);
        ChannelLabelsDialog dialog(session, prompter, nullptr);
        dialog.show();
        QTest::qWait(600);
        QTest::keyClicks(dialog.FindBox(), "tom");
        QTest::keyClick(dialog.FindBox(), Qt::Key_Return);
        ok = Save(dialog, folder, "channel-labels.png") && ok;
    }
    {
        GainDialog::RequestGains(session);
        GainDialog dialog(session, prompter, nullptr);
        dialog.show();
        QTest::qWait(600);
        ok = Save(dialog, folder, "gain-settings.png") && ok;
    }
    {
        LevelDetectorDialog::RequestDetectors(session);
        LevelDetectorDialog dialog(session, prompter, nullptr);
        dialog.show();
        QTest::qWait(800);
        dialog.List()->selectionModel()->setCurrentIndex(
            dialog.Model()->index(1, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        ok = Save(dialog, folder, "level-detectors.png") && ok;
    }
    return ok ? 0 : 1;
}
