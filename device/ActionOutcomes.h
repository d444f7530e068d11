#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "device/ConnectionState.h"
#include "device/EventHub.h"
#include "device/RequestOutcomes.h"
#include "device/SessionEvents.h"

namespace velmar {

// What became of the requests of one operator action (an apply, a clear, a restart).
struct ActionSummary {
    NoticeLevel level = NoticeLevel::Info;
    // "Channel labels: the frame took all 4 requests." or "Channel labels: the frame refused
    // slabel 1 2 (status -3); 1 of 2 answered."
    std::string text;
    bool allAnswered = true;
};

// Tells what became of an action's own requests once the last of them has its outcome: as one
// entry of the event log, and to the window that asked while it is still open. A window acts on
// this and never on a count of the connection's replies.
class ActionOutcomes final {
  public:
    using Done = std::function<void(const ActionSummary&)>;

    // The event log's entry names the frame `connection` was linked to when the action was taken.
    ActionOutcomes(RequestOutcomes& outcomes, EventHub& events, const ConnectionState& connection)
        : outcomes_(outcomes), events_(events), connection_(connection) {}
    // The window is gone: what is still waiting reaches the event log only.
    ~ActionOutcomes() { *open_ = false; }
    ActionOutcomes(const ActionOutcomes&) = delete;
    ActionOutcomes& operator=(const ActionOutcomes&) = delete;

    // Runs `send`; every request the link sends meanwhile is the action's. False (and nothing
    // told) when it sent none.
    bool Track(std::string action, const std::function<void()>& send, Done done = {});

  private:
    RequestOutcomes& outcomes_;
    EventHub& events_;
    const ConnectionState& connection_;
    std::shared_ptr<bool> open_ = std::make_shared<bool>(true);
};

// The summary of `records`, all of them settled, in the order sent.
ActionSummary SummariseAction(std::string_view action, const std::vector<RequestRecord>& records);

}  // namespace velmar
