#pragma once

#include <optional>
#include <string>

#include "device/RequestOutcomes.h"
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
    // cards, and every request sent has had its answer (a refusal is an answer).
    bool FrameRead() const;
    // A command reads at once what a window reads on the poller's timers, which pace a person,
    // as soon as the start sequence is answered; without `cards` the card requests are not
    // waited for. Call it from the loop's condition.
    void ReadSoon(bool cards);
    // "lcross 1025..1152, gsyncstat": the requests still waiting for their answer.
    std::string UnansweredText(std::size_t limit) const { return read_.WaitingText(limit); }
    // Every request sent on this console's session, in the order sent, with its outcome.
    const std::vector<RequestHandle>& ReadRequests() const { return read_.Requests(); }
    std::optional<int> ConnectError() const { return connectError_; }
    // The link was up and has gone (closed by the frame, or dropped as silent).
    bool LinkLost() const { return wasConnected_ && !session_.Connection().connected; }
    const std::string& Title() const { return title_; }

  private:
    Session& session_;
    RequestBatch read_;  // everything this console's session asks
    std::optional<int> connectError_;
    bool wasConnected_ = false;
    bool hurried_ = false;
    bool cards_ = true;
    std::string title_;
    Subscriptions subscriptions_;
};

}  // namespace velmar
