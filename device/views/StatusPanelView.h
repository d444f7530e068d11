#pragma once

namespace velmar {

// The " Device status " fields. Each refresh reads DeviceState; `repaint` forces a redraw so the
// field colour follows the value.
class StatusPanelView {
  public:
    virtual void RefreshSyncText(bool repaint) = 0;
    virtual void RefreshRateText() = 0;
    virtual void RefreshPowerTexts(bool repaint) = 0;
    virtual void RefreshFanTexts(bool repaint) = 0;

  protected:
    ~StatusPanelView() = default;
};

}  // namespace velmar
