#pragma once

#include "protocol/CommandMessage.h"

namespace velmar {

class PpmView {
  public:
    virtual void PpmReply(const CommandMessage& reply) = 0;

  protected:
    ~PpmView() = default;
};

}  // namespace velmar
