#pragma once

#include "device/views/AutoIpRoutingView.h"
#include "device/views/ChannelLabelsView.h"
#include "device/views/FirmwareRun.h"
#include "device/views/GainView.h"
#include "device/views/InputStatusView.h"
#include "device/views/LevelDetectorView.h"
#include "device/views/MainWindowView.h"
#include "device/views/ManualIpRoutingView.h"
#include "device/views/MatrixView.h"
#include "device/views/PpmView.h"
#include "device/views/StatusPanelView.h"
#include "device/views/XyControlView.h"

namespace velmar {

// The windows the core talks to, one slot each; a slot is empty while its window is closed and
// the core then leaves that window out. Windows fill their slot through ScopedView.
struct ViewRegistry {
    MainWindowView* mainWindow = nullptr;
    StatusPanelView* statusPanel = nullptr;
    MatrixView* matrix = nullptr;
    InputStatusView* inputStatus = nullptr;
    XyControlView* xyControl = nullptr;
    ManualIpRoutingView* manualIpRouting = nullptr;
    AutoIpRoutingView* autoIpRouting = nullptr;
    ChannelLabelsView* channelLabels = nullptr;
    GainView* gain = nullptr;
    LevelDetectorView* levelDetectors = nullptr;
    PpmView* ppm = nullptr;
    FirmwareRun* firmware = nullptr;
};

// Holds a registry slot for the lifetime of a window, so a closed window can never be called.
template <typename View>
class ScopedView {
  public:
    ScopedView(View*& slot, View* view) : slot_(slot) { slot_ = view; }
    ~ScopedView() { slot_ = nullptr; }
    ScopedView(const ScopedView&) = delete;
    ScopedView& operator=(const ScopedView&) = delete;

  private:
    View*& slot_;
};

}  // namespace velmar
