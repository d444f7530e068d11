#pragma once

#include <cstdint>

#include "protocol/CommandMessage.h"

namespace velmar {

class AutoIpRoutingView {
  public:
    virtual void SetAutoRoute(std::int32_t value) = 0;
    virtual std::int32_t FrameCopy() const = 0;
    virtual std::int32_t LatencyCopy() const = 0;
    virtual void SetFrameCopy(std::int32_t value) = 0;
    virtual void SetLatencyCopy(std::int32_t value) = 0;
    virtual void CrossIpReply(const CommandMessage& reply) = 0;
    virtual void RefreshControls() = 0;

  protected:
    ~AutoIpRoutingView() = default;
};

}  // namespace velmar
