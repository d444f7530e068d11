#pragma once

#include <cstdint>
#include <string_view>

#include "device/DeviceState.h"

namespace velmar {

class ChannelLabelsView {
  public:
    // selector 0: input label, else output label.
    virtual void SetLabel(std::int32_t selector, std::int32_t channel, std::string_view text) = 0;
    virtual void RefreshLine(std::int32_t channel) = 0;
    // Both tables were completed by a label run: take them whole and refresh every line.
    virtual void TakeAllLabels(const DeviceState& state) = 0;

  protected:
    ~ChannelLabelsView() = default;
};

}  // namespace velmar
