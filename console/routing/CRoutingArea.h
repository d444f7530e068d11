#pragma once

#include <QWidget>

#include "console/routing/CCrosspointControlBox.h"
#include "console/routing/CCrosspointStatusBox.h"
#include "device/views/MatrixView.h"

namespace velmar {

// Crosspoint status and crosspoint control side by side: what the core calls the matrix view.
class CRoutingArea final : public QWidget, public MatrixView {
  public:
    CRoutingArea(RoutingContext context, QWidget* parent);

    void RefreshRow(std::int32_t output) override;
    void RebuildList() override;
    void RebuildTypeSelectors() override;
    void RefillIpChannels(bool outputSide) override;
    void ClearList() override;

    // After a connection change: the list empties and the controls follow the new state.
    void ConnectionChanged(bool connected);

    CCrosspointStatusBox& Status() { return *status_; }
    CCrosspointControlBox& Control() { return *control_; }

  private:
    RoutingContext context_;
    CCrosspointStatusBox* status_;
    CCrosspointControlBox* control_;
};

}  // namespace velmar
