#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "features/watch/core/HealthLanes.h"

class QRubberBand;

namespace velmar {

// Draws a frame's health lanes against time: one row per lane, each span coloured by its state
// (a fault also hatched, so colour is never the only sign) and named where it has room. The
// wheel zooms around the pointer and a drag across the lanes zooms to what it spans, never
// beyond the range the lanes cover; a span's tooltip says its value, from and to.
class TimelineLanesView final : public QWidget {
  public:
    explicit TimelineLanesView(QWidget* parent = nullptr);

    // New lanes over `range`, shown whole.
    void SetLanes(std::vector<HealthLane> lanes, TimeRange range);
    const std::vector<HealthLane>& Lanes() const { return lanes_; }
    TimeRange Range() const { return range_; }
    // The part of the range on show.
    TimeRange Shown() const { return shown_; }
    void ZoomTo(TimeRange part);
    // Zooms by `factor` (below 1: in) keeping the time under `x` where it is.
    void ZoomAt(int x, double factor);
    void ResetZoom();
    // Told whenever the part on show changes.
    void OnShownChanged(std::function<void()> listener) { shownChanged_ = std::move(listener); }

    // The span under `point`, if any, and the tooltip it gives.
    const LaneSpan* SpanAt(QPoint point) const;
    QString TipAt(QPoint point) const;
    // Where a lane's row and a time are drawn (for tests and the pointer).
    int LaneTop(std::size_t lane) const;
    int XOf(std::chrono::system_clock::time_point time) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QRect Plot() const;
    std::chrono::system_clock::time_point TimeAt(int x) const;
    void PaintAxis(QPainter& painter, QRect plot) const;

    std::vector<HealthLane> lanes_;
    TimeRange range_{};
    TimeRange shown_{};
    int titleWidth_ = 0;
    QRubberBand* band_ = nullptr;
    std::optional<int> dragFrom_;
    std::function<void()> shownChanged_;
};

}  // namespace velmar
