#pragma once

#include <QDialog>

#include "device/DeviceState.h"

namespace velmar {

class HwConfigView;

// "HW configuration" from the device menu: the boards as the frame reported them when it opened.
class HwConfigWindow final : public QDialog {
    Q_OBJECT

  public:
    HwConfigWindow(const ConfigBlock& config, QWidget* parent = nullptr);

    HwConfigView& View() { return *view_; }

  private:
    HwConfigView* view_;
};

}  // namespace velmar
