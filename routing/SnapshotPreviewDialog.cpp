#include "routing/SnapshotPreviewDialog.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <fstream>

#include "device/ChannelMap.h"

namespace velmar {

SnapshotPreviewDialog::SnapshotPreviewDialog(const QString& path, std::int32_t channelCount, QWidget* parent)
    : QDialog(parent), list_(new QTreeWidget) {
    // A file that cannot be opened shows an empty preview, and OK then sends nothing.
    std::ifstream in(path.toStdString(), std::ios::binary);
    bool refused = false;
    if (in) {
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

    setWindowTitle(QStringLiteral("Load crosspoint status  (") + path + QStringLiteral(")"));
    list_->setHeaderLabels({QStringLiteral("INPUT"), QStringLiteral("OUTPUT")});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->header()->setSectionResizeMode(QHeaderView::Stretch);
    QList<QTreeWidgetItem*> rows;
    rows.reserve(static_cast<qsizetype>(connections_.size()));
    for (const Crosspoint& c : connections_) {
        rows.append(new QTreeWidgetItem(
            {QString::fromStdString(ChannelName(c.input)), QString::fromStdString(ChannelName(c.output))}));
    }
    list_->addTopLevelItems(rows);

    auto* group = new QGroupBox(QStringLiteral(" Matrix status (mono channels) "));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(list_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setEnabled(!refused);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    if (!notes_.isEmpty()) {
        auto* notes = new QListWidget;
        notes->addItems(notes_);
        notes->setMaximumHeight(120);
        layout->addWidget(notes);
    }
    layout->addWidget(buttons);
    resize(420, 480);
}

}  // namespace velmar
