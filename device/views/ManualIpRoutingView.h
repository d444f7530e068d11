#pragma once

#include <cstdint>
#include <string_view>

#include "protocol/CommandMessage.h"

namespace velmar {

// The manual IP flow window; flow and slot replies are handed over whole.
class ManualIpRoutingView {
  public:
    virtual void SetUnicastClock(std::int32_t value) = 0;
    virtual void ShowUnicastClockStatus(std::string_view text) = 0;
    virtual void FlowReply(const CommandMessage& reply) = 0;
    virtual void RefreshControls() = 0;

  protected:
    ~ManualIpRoutingView() = default;
};

}  // namespace velmar
