#pragma once

#include "protocol/CommandMessage.h"

namespace velmar {

// Sees the traffic that answers belong to: each request as the link sends it (header complete)
// and each reply (a ':' line, keep-alive answers included) as it arrives, before the dispatcher.
class LinkObserver {
  public:
    virtual void OnRequestSent(const CommandMessage& request) = 0;
    virtual void OnReplyReceived(const CommandMessage& reply) = 0;

  protected:
    ~LinkObserver() = default;
};

}  // namespace velmar
