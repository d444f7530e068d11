#pragma once

#include "protocol/CommandMessage.h"

namespace velmar {

// Where request operations hand their records: completes the header and sends the line.
class RequestSink {
  public:
    virtual void SendRequest(CommandMessage& request) = 0;

  protected:
    ~RequestSink() = default;
};

}  // namespace velmar
