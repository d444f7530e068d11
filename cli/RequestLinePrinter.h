#pragma once

#include <ostream>

#include "device/RequestSink.h"
#include "protocol/MessageCodec.h"

namespace velmar {

// What a dry run sends: each request printed as the link would write it, one per line, and
// nothing reaches the frame.
class RequestLinePrinter final : public RequestSink {
  public:
    explicit RequestLinePrinter(std::ostream& out) : out_(out) {}
    void SendRequest(CommandMessage& request) override;

  private:
    std::ostream& out_;
    MessageCodec codec_;
};

}  // namespace velmar
