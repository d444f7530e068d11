#pragma once

#include <optional>
#include <string>

#include "device/PendingReplies.h"
#include "device/Session.h"

namespace velmar {

// A console without windows: it follows the session's events as a window would and tells when
// the connected frame has been read completely.
class HeadlessConsole final {
  public:
    explicit HeadlessConsole(Session& session);
    ~HeadlessConsole();
    HeadlessConsole(const HeadlessConsole&) = delete;
    HeadlessConsole& operator=(const HeadlessConsole&) = delete;

    // Connected, the state poll has run, the card requests have gone out where the frame has
    // cards, and every request sent has had its answer.
    bool FrameRead() const;
    // The requests sent on this console's link and which of them the frame has answered.
    const PendingReplies& Answers() const { return answers_; }
    std::optional<int> ConnectError() const { return connectError_; }
    // The link was up and has gone (closed by the frame, or dropped as silent).
    bool LinkLost() const { return wasConnected_ && !session_.Connection().connected; }
    const std::string& Title() const { return title_; }

  private:
    Session& session_;
    PendingReplies answers_;
    std::optional<int> connectError_;
    bool wasConnected_ = false;
    std::string title_;
    Subscriptions subscriptions_;
};

}  // namespace velmar
