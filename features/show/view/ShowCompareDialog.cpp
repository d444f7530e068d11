#include "features/show/view/ShowCompareDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "features/show/view/ShowDifferences.h"

namespace velmar {

ShowCompareDialog::ShowCompareDialog(ConsoleCore& core, ShowFile show, std::string file, QWidget* parent)
    : QDialog(parent), show_(std::move(show)), tree_(new QTreeWidget(this)) {
    setWindowTitle(QStringLiteral("Compare with live: ") + QString::fromStdString(file));
    tree_->setColumnCount(2);
    tree_->setHeaderLabels(
        {QStringLiteral("Frame / section"), QStringLiteral("From the frame's value to the file's")});
    tree_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tree_);
    layout->addWidget(buttons);
    resize(820, 520);
    frames_ = std::make_unique<ShowFrames>(core, ShowTargets(core, show_), file);
    for (std::size_t i = 0; i < frames_->Size(); ++i)
        new QTreeWidgetItem(tree_);
    frames_->changed = [this] { Refresh(); };
    Refresh();
}

ShowCompareDialog::~ShowCompareDialog() = default;

void ShowCompareDialog::Refresh() {
    for (std::size_t i = 0; i < frames_->Size(); ++i)
        FillShowDifferences(*tree_->topLevelItem(static_cast<int>(i)), show_.frames[i], frames_->Run(i),
                            frames_->Address(i));
}

}  // namespace velmar
