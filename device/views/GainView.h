#pragma once

#include "protocol/CommandMessage.h"

namespace velmar {

class GainView {
  public:
    // int:14 selector, int:18 channel, fixed:22, int:30, int:34 of a ggain/sgain reply.
    virtual void StoreGain(const CommandMessage& reply) = 0;

  protected:
    ~GainView() = default;
};

}  // namespace velmar
