#pragma once

#include <QLabel>
#include <QWidget>

#include "device/EventHub.h"
#include "features/routing/core/RoutingHistory.h"
#include "features/routing/view/CrosspointControlBox.h"
#include "features/routing/view/CrosspointStatusBox.h"

class QTabWidget;

namespace velmar {

struct CrosspointRefused;
class RoutingGrid;

// The frame's routing as a list with the controls by type, and as a grid; follows the frame,
// shows what is pending and what was refused, and undoes this console's changes.
class RoutingArea final : public QWidget {
  public:
    RoutingArea(RoutingContext context, QWidget* parent);
    // A stepper left running would go on routing for a window that is gone.
    ~RoutingArea() override;

    // After a connection change: the list empties and the controls follow the new state.
    void ConnectionChanged(bool connected);

    CrosspointStatusBox& Status() { return *status_; }
    CrosspointControlBox& Control() { return *control_; }
    RoutingGrid& Grid() { return *grid_; }
    QTabWidget& Views() { return *views_; }
    // The last thing the frame refused, empty when nothing was.
    QString Notice() const { return notice_->text(); }
    // "Waiting for the frame: 3 crosspoints", empty when nothing is pending.
    QString PendingText() const { return pending_->text(); }

    // Ctrl+Z and Ctrl+Shift+Z: false (and a notice) when refused.
    bool Undo();
    bool Redo();
    const RoutingHistory& History() const { return history_; }

  private:
    void Subscribe();
    void ShowRefusal(const CrosspointRefused& refusal);
    void ShowPending();
    bool TakeStep(const RoutingHistory::Step& step);
    RoutingHistory::Waiting Waiting() const;
    // The message line, about `output` (0: none in particular); it goes when that is settled.
    void ShowNotice(std::int32_t output, const QString& text);
    void ClearNotice();

    RoutingHistory history_;
    RoutingContext context_;
    CrosspointStatusBox* status_;
    CrosspointControlBox* control_;
    RoutingGrid* grid_;
    QTabWidget* views_;
    QWidget* listTab_ = nullptr;
    // The list missed notifications while another tab was shown; it is rebuilt when shown.
    bool listStale_ = false;
    QLabel* pending_;
    QLabel* notice_;
    std::int32_t noticeOutput_ = 0;
    Subscriptions subscriptions_;
};

}  // namespace velmar
