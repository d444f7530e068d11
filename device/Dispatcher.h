#pragma once

#include <array>
#include <functional>

#include "protocol/CommandMessage.h"
#include "protocol/CommandTable.h"

namespace velmar {

// Hands every record from the frame to the feature that registered its word. Replies are not
// matched to requests: a reply and a notification of the same command take the same road, and
// applying a record twice leaves the same state.
class Dispatcher {
  public:
    using Handler = std::function<void(const CommandMessage&, bool isReply)>;

    // One handler per word; the feature units register theirs when the session is built.
    void On(CommandCode code, Handler handler);
    void Dispatch(const CommandMessage& message, bool isReply) const;
    bool Handles(CommandCode code) const { return static_cast<bool>(handlers_[ToCode(code)]); }

  private:
    std::array<Handler, kCommandCount> handlers_{};
};

}  // namespace velmar
