#pragma once

#include <QWidget>

#include "features/routing/view/CrosspointGrid.h"

class QLineEdit;
class QSlider;

namespace velmar {

// The grid view of the routing area: the grid with its find box and zoom.
class RoutingGrid final : public QWidget {
  public:
    RoutingGrid(RoutingContext context, QWidget* parent);

    void Rebuild() { grid_->Rebuild(); }
    void CrosspointChanged(std::int32_t output) { grid_->RowChanged(output); }
    // Labels changed: the axes are the same, only their texts are redrawn.
    void Relabel() { grid_->viewport()->update(); }

    CrosspointGrid& Grid() { return *grid_; }

  private:
    CrosspointGrid* grid_;
    QLineEdit* find_;
    QSlider* zoom_;
};

}  // namespace velmar
