#pragma once

#include <QWidget>

#include "routing/CrosspointControlBox.h"
#include "routing/CrosspointStatusBox.h"
#include "device/views/MatrixView.h"

namespace velmar {

// Crosspoint status and crosspoint control side by side: what the core calls the matrix view.
class RoutingArea final : public QWidget, public MatrixView {
  public:
    RoutingArea(RoutingContext context, QWidget* parent);

    void RefreshRow(std::int32_t output) override;
    void RebuildList() override;
    void RebuildTypeSelectors() override;
    void RefillIpChannels(bool outputSide) override;
    void ClearList() override;

    // After a connection change: the list empties and the controls follow the new state.
    void ConnectionChanged(bool connected);

    CrosspointStatusBox& Status() { return *status_; }
    CrosspointControlBox& Control() { return *control_; }

  private:
    RoutingContext context_;
    CrosspointStatusBox* status_;
    CrosspointControlBox* control_;
};

}  // namespace velmar
