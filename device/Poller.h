#pragma once

#include "device/ConnectionState.h"
#include "device/DeviceLink.h"
#include "device/DeviceState.h"
#include "device/Requests.h"
#include "device/TimerService.h"
#include "device/ViewRegistry.h"

namespace velmar {

// Fills DeviceState after a connect and keeps the link honest: the start sequence, the state
// poll, the card requests and the keep-alive tick.
class Poller {
  public:
    Poller(DeviceState& state, ConnectionState& connection, Requests& requests, DeviceLink& link,
           TimerService& timers, ViewRegistry& views)
        : state_(state),
          connection_(connection),
          requests_(requests),
          link_(link),
          timers_(timers),
          views_(views) {}

    // Right after ResetState on a new connection.
    void StartConnection();
    void StartSequence();
    void StatePoll();     // timer 7
    void CardSettings();  // timer 11
    // Timer 6. False when the frame has been silent for two periods and must be dropped.
    bool KeepAliveTick(bool firmwareRunActive);

    // How often the state poll and the card requests have run on this connection: a headless
    // client tells from these (and from every request having its answer) that the frame is read.
    std::size_t PollsRun() const { return pollsRun_; }
    std::size_t CardRequestRuns() const { return cardRequestRuns_; }

  private:
    DeviceState& state_;
    ConnectionState& connection_;
    Requests& requests_;
    DeviceLink& link_;
    TimerService& timers_;
    ViewRegistry& views_;
    std::size_t pollsRun_ = 0;
    std::size_t cardRequestRuns_ = 0;
};

}  // namespace velmar
