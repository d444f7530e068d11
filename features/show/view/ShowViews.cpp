#include <QMenu>
#include <QMenuBar>

#include "console/ConsoleCore.h"
#include "console/FeatureViews.h"
#include "console/MainWindow.h"
#include "features/show/view/ShowApplyDialog.h"
#include "features/show/view/ShowCompareDialog.h"
#include "features/show/view/ShowSaveDialog.h"

namespace velmar {

namespace {

QMenu& FileMenu(MainWindow& window) {
    for (QAction* action : window.menuBar()->actions()) {
        if (action->menu() != nullptr && action->text() == QStringLiteral("&File"))
            return *action->menu();
    }
    return *window.menuBar()->addMenu(QStringLiteral("&File"));
}

// The show the operator picks, read and judged; empty (and said why) when it cannot be taken.
bool PickShow(ConsoleCore& core, std::string_view title, std::string& file, ShowFile& show) {
    file = core.GetFilePicker().OpenFile({title, "Show files (*.toml)|*.toml|All Files (*.*)|*.*", "toml"});
    if (file.empty())
        return false;
    std::string problem;
    show = ShowFile::Load(file, problem);
    if (!problem.empty()) {
        core.GetPrompter().Warning(problem + " Nothing sent.", title);
        return false;
    }
    return true;
}

template <class Dialog>
void Open(MainWindow& window, ConsoleCore& core, std::string_view title) {
    std::string file;
    ShowFile show;
    if (!PickShow(core, title, file, show))
        return;
    auto* dialog = new Dialog(core, std::move(show), file, &window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

}  // namespace

// A show is about the whole rack, not one frame: its entries are in the File menu.
void ShowInstallViews(MainWindow& window, ConsoleCore& core) {
    QMenu& menu = FileMenu(window);
    menu.addAction(QStringLiteral("Save show…"), &window, [&window, &core] {
        auto* dialog = new ShowSaveDialog(core, &window);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->show();
    });
    menu.addAction(QStringLiteral("Compare with live…"), &window,
                   [&window, &core] { Open<ShowCompareDialog>(window, core, "Compare with live"); });
    menu.addAction(QStringLiteral("Apply show…"), &window,
                   [&window, &core] { Open<ShowApplyDialog>(window, core, "Apply show"); });
}

}  // namespace velmar
