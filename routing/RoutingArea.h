#pragma once

#include <QLabel>
#include <QWidget>

#include "device/EventHub.h"
#include "routing/CrosspointControlBox.h"
#include "routing/CrosspointStatusBox.h"

namespace velmar {

struct CrosspointRefused;

// Crosspoint status and crosspoint control side by side, following the frame's routing.
class RoutingArea final : public QWidget {
  public:
    RoutingArea(RoutingContext context, QWidget* parent);

    // After a connection change: the list empties and the controls follow the new state.
    void ConnectionChanged(bool connected);

    CrosspointStatusBox& Status() { return *status_; }
    CrosspointControlBox& Control() { return *control_; }
    // The last thing the frame refused, empty when nothing was.
    QString Notice() const { return notice_->text(); }

  private:
    void Subscribe();
    void ShowRefusal(const CrosspointRefused& refusal);

    RoutingContext context_;
    CrosspointStatusBox* status_;
    CrosspointControlBox* control_;
    QLabel* notice_;
    Subscriptions subscriptions_;
};

}  // namespace velmar
