#pragma once

#include <QAbstractScrollArea>

#include "features/routing/core/GridAxis.h"
#include "features/routing/view/RoutingContext.h"

namespace velmar {

// The crosspoints as a matrix: inputs across, outputs down, grouped by interface. Paints only
// the cells on screen, and a changed output repaints only its row, so a frame of 1536 x 1536
// stays smooth under a burst of notifications.
class CrosspointGrid final : public QAbstractScrollArea {
  public:
    CrosspointGrid(RoutingContext context, QWidget* parent);

    // The frame's channels or routing changed as a whole.
    void Rebuild();
    // One output's route (or its pending request) changed.
    void RowChanged(std::int32_t output);

    void SetCellSize(int pixels);  // the zoom
    int CellSize() const { return cell_; }
    // Moves the cursor to the output (and its current input) matching the text; false if none.
    bool Find(const std::string& query);

    // The cursor: an output line and an input line of the axes.
    std::int32_t CursorOutput() const;
    std::int32_t CursorInput() const;
    void SetCursor(std::int32_t output, std::int32_t input);
    // Feeds the cursor's output from the cursor's input; Delete's disconnect asks first.
    void RouteAtCursor();
    void DisconnectAtCursor();
    void ToggleGroup(std::int32_t line, bool onRows);

    const GridAxis& Axis() const { return axis_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    void UpdateScrollBars();
    void EnsureCursorVisible();
    QRect CellRect(std::int32_t row, std::int32_t column) const;
    std::int32_t InputAt(std::int32_t output) const;
    bool Offered(const std::vector<bool>& side, std::int32_t channel) const {
        return channel > 0 && static_cast<std::size_t>(channel) < side.size() &&
               side[static_cast<std::size_t>(channel)];
    }
    void MoveCursor(std::int32_t rows, std::int32_t columns);

    RoutingContext context_;
    // Both axes show the same channels, grouped alike: every channel the frame offers as an input
    // or an output. A line offered on one side only is greyed on the other.
    GridAxis axis_;
    std::vector<bool> inputs_;   // by channel: offered as an input
    std::vector<bool> outputs_;  // by channel: offered as an output
    int cell_ = 14;
    int rowHeader_ = 150;
    int columnHeader_ = 120;
    std::int32_t cursorRow_ = 0;
    std::int32_t cursorColumn_ = 0;
};

}  // namespace velmar
