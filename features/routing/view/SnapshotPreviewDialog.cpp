#include "features/routing/view/SnapshotPreviewDialog.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <sstream>

#include "features/routing/core/ChannelNames.h"
#include "features/routing/core/RouteChanges.h"
#include "widgets/TitleFit.h"

namespace velmar {

SnapshotPreviewDialog::SnapshotPreviewDialog(const QString& path, std::int32_t channelCount,
                                             const CrosspointTable& live, QWidget* parent)
    : QDialog(parent), list_(new QTreeWidget) {
    // A file that cannot be read shows why in an empty preview, and OK then sends nothing.
    const FileRead read = CrosspointFile::Fetch(path.toStdString());
    bool refused = !read.bytes;
    if (refused)
        notes_ << QStringLiteral("This file cannot be loaded: ") + QString::fromStdString(read.problem);
    if (read.bytes) {
        std::istringstream in(*read.bytes);
        const CrosspointFile file = CrosspointFile::Read(in, channelCount);
        connections_ = file.Connections();
        refused = !file.NotText().empty();
        if (refused)
            notes_ << QStringLiteral("This file cannot be loaded: ") + QString::fromStdString(file.NotText());
        for (const SkippedLine& skipped : file.Skipped()) {
            notes_ << QStringLiteral("Line %1 skipped: %2")
                          .arg(skipped.line)
                          .arg(QString::fromStdString(skipped.reason));
        }
        if (file.SkippedCount() > file.Skipped().size())
            notes_ << QStringLiteral("and %1 more lines skipped")
                          .arg(file.SkippedCount() - file.Skipped().size());
    }

    const RouteComparison comparison = CompareWithLive(connections_, live, channelCount);
    for (const RouteChange& change : comparison.changes)
        changes_ << QString::fromStdString(ChangeText(change));
    summary_ = QStringLiteral(
                   "%1 crosspoint%2 in the file: %3 change%4 the routing, %5 %6 routed so already. "
                   "Outputs the file does not name keep their routing.")
                   .arg(connections_.size())
                   .arg(connections_.size() == 1 ? "" : "s")
                   .arg(comparison.changes.size())
                   .arg(comparison.changes.size() == 1 ? "s" : "")
                   .arg(comparison.unchanged.size())
                   .arg(comparison.unchanged.size() == 1 ? "is" : "are");

    setWindowTitle(QStringLiteral("Load crosspoint status  (") + path + QStringLiteral(")"));
    TitleFit::Install(*this);
    list_->setHeaderHidden(true);
    list_->setUniformRowHeights(true);
    if (!connections_.empty()) {
        auto* changed = new QTreeWidgetItem({QStringLiteral("Changes (%1)").arg(changes_.size())});
        for (const QString& text : changes_)
            changed->addChild(new QTreeWidgetItem({text}));
        auto* stays =
            new QTreeWidgetItem({QStringLiteral("Stay as they are (%1)").arg(comparison.unchanged.size())});
        for (const Crosspoint& c : comparison.unchanged)
            stays->addChild(new QTreeWidgetItem(
                {QString::fromStdString(ChannelText(c.output) + ": " + ChannelText(c.input))}));
        list_->addTopLevelItems({changed, stays});
        changed->setExpanded(true);
        stays->setExpanded(comparison.changes.empty());
    }
    auto* summary = new QLabel(summary_);
    summary->setWordWrap(true);

    auto* group = new QGroupBox(QStringLiteral(" Matrix status (mono channels) "));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(summary);
    groupLayout->addWidget(list_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setEnabled(!refused);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    if (!notes_.isEmpty()) {
        layout->addWidget(new QLabel(QStringLiteral("Lines of the file that send nothing:")));
        auto* notes = new QListWidget;
        notes->addItems(notes_);
        notes->setMaximumHeight(140);
        layout->addWidget(notes);
    }
    layout->addWidget(buttons);
    resize(520, 560);
}

}  // namespace velmar
