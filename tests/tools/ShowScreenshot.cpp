// Renders the show comparison against the simulated rack, after the rack has moved away from a
// saved show in several sections, into a PNG for the README:
//   xvfb-run -a -s "-screen 0 1280x800x24" build/bin/velmar-screenshot-show docs/screenshots
#include <QApplication>
#include <QDir>
#include <QTreeWidget>
#include <cstdio>

#include "features/show/view/ShowCompareDialog.h"
#include "tests/cli/CliRun.h"
#include "tests/console/ScreenshotRig.h"

int main(int argc, char** argv) {
    using namespace velmar;
    if (argc != 2) {
        std::fprintf(stderr, "usage: velmar-screenshot-show <folder>\n");
        return 2;
    }
    test::ScreenshotRig rig;
    rig.Sim().ExportPorts();
    const std::string file = rig.TempPath(QStringLiteral("rack.toml")).toStdString();
    const std::vector<std::vector<std::string>> before{
        {"route", "127.0.0.2", "20", "5"},
        {"label", "127.0.0.2", "in", "5", "Kick In"},
        {"detector", "127.0.0.2", "in", "7", "--enable", "--t1", "500:-40"},
        {"show", "save", file, "127.0.0.2", "127.0.0.3"},
        {"route", "127.0.0.2", "20", "8"},
        {"label", "127.0.0.2", "in", "5", "Snare"},
        {"label", "127.0.0.2", "out", "3", "Monitor L"},
        {"card", "127.0.0.2", "2", "3:Phantom power=on"},
        {"detector", "127.0.0.2", "in", "7", "--disable"},
        {"flow", "127.0.0.3", "tx", "create", "2", "2", "10.1.1.1", "14530"},
    };
    for (const auto& args : before) {
        if (test::RunCli(args).code != kExitOk) {
            std::fprintf(stderr, "velmar-screenshot-show: velmar-cli %s failed\n", args.front().c_str());
            return 1;
        }
    }
    std::string problem;
    ShowFile show = ShowFile::Load(file, problem);
    if (!problem.empty()) {
        std::fprintf(stderr, "velmar-screenshot-show: %s\n", problem.c_str());
        return 1;
    }
    ShowCompareDialog dialog(rig.Core(), std::move(show), "rack.toml");
    if (!test::WaitUntil([&] { return dialog.Ready(); }, std::chrono::seconds(20))) {
        std::fprintf(stderr, "velmar-screenshot-show: the frames were not read\n");
        return 1;
    }
    dialog.resize(900, 420);
    dialog.show();
    QApplication::processEvents();
    const QString path =
        QDir(QString::fromLocal8Bit(argv[1])).filePath(QStringLiteral("show-comparison.png"));
    if (!dialog.grab().save(path)) {
        std::fprintf(stderr, "velmar-screenshot-show: cannot write %s\n", qPrintable(path));
        return 1;
    }
    std::printf("%s\n", qPrintable(path));
    return 0;
}
