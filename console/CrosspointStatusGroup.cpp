#include "console/CrosspointStatusGroup.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

namespace velmar {

CrosspointStatusGroup::CrosspointStatusGroup(QWidget* parent)
    : QGroupBox(QStringLiteral(" Crosspoint status (mono channels) "), parent),
      list_(new QTreeWidget(this)),
      load_(new QPushButton(QStringLiteral("&Load from file ..."), this)),
      save_(new QPushButton(QStringLiteral("Save to &file ..."), this)) {
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setHeaderLabels({QStringLiteral("ALL"), QStringLiteral("INPUT"), QStringLiteral("OUTPUT")});
    list_->setColumnWidth(0, 55);
    list_->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    list_->header()->setSectionResizeMode(2, QHeaderView::Stretch);
    list_->header()->setStretchLastSection(false);
    for (QPushButton* button : {load_, save_})
        button->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(load_);
    buttons->addWidget(save_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
}

void CrosspointStatusGroup::SetControlsEnabled(bool enabled) {
    load_->setEnabled(enabled);
    save_->setEnabled(enabled);
}

}  // namespace velmar
