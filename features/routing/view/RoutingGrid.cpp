#include "features/routing/view/RoutingGrid.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QVBoxLayout>

namespace velmar {

RoutingGrid::RoutingGrid(RoutingContext context, QWidget* parent)
    : QWidget(parent),
      grid_(new CrosspointGrid(context, this)),
      find_(new QLineEdit),
      zoom_(new QSlider(Qt::Horizontal)) {
    find_->setPlaceholderText(QStringLiteral("Find channel (name, number or label)"));
    find_->setClearButtonEnabled(true);
    zoom_->setRange(4, 32);
    zoom_->setValue(grid_->CellSize());
    zoom_->setMaximumWidth(160);
    connect(find_, &QLineEdit::textEdited, this,
            [this](const QString& text) { grid_->Find(text.toStdString()); });
    connect(find_, &QLineEdit::returnPressed, this, [this] { grid_->setFocus(); });
    connect(zoom_, &QSlider::valueChanged, this, [this](int size) { grid_->SetCellSize(size); });

    auto* tools = new QHBoxLayout;
    tools->addWidget(find_, 1);
    tools->addWidget(new QLabel(QStringLiteral("Zoom")));
    tools->addWidget(zoom_);
    grid_->setToolTip(
        QStringLiteral("Inputs across, outputs down. Click or Space routes, Delete disconnects, "
                       "Ctrl+wheel or Ctrl+plus/minus zooms; a group's line opens or closes it."));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(tools);
    layout->addWidget(grid_, 1);
}

}  // namespace velmar
