#pragma once

#include "device/ConnectionState.h"
#include "device/DeviceLink.h"
#include "device/DeviceState.h"
#include "device/EventHub.h"
#include "device/StartSequence.h"
#include "device/TimerService.h"
#include "device/features/FeatureContext.h"

namespace velmar {

class Session;

// Fills DeviceState after a connect and keeps the link honest: the start sequence, the state
// poll, the card requests and the keep-alive tick.
class Poller final : public PollSchedule {
  public:
    Poller(Session& session, EventHub& events, ConnectionState& connection, DeviceLink& link,
           TimerService& timers);

    // Right after ResetState on a new connection.
    void StartConnection();
    // The link is gone: no poll, card request or keep-alive runs on.
    void Stop();
    void StartSequence() override;
    void StatePoll();
    void CardSettings();
    // False when the frame has been silent for two periods and must be dropped.
    bool KeepAliveTick();

    void PollStateIn(std::chrono::milliseconds delay) override;
    void RequestCardsIn(std::chrono::milliseconds delay) override;

    // How often the state poll and the card requests have run on this connection: a headless
    // client tells from these (and from every request having its answer) that the frame is read.
    std::size_t PollsRun() const { return pollsRun_; }
    std::size_t CardRequestRuns() const { return cardRequestRuns_; }

  private:
    // The start sequence's Dante rows, once the boards say a module is fitted.
    void AskDanteModule();

    Session& session_;
    ConnectionState& connection_;
    DeviceLink& link_;
    TimerService& timers_;
    TimerHandle keepAlive_;     // 5000 ms, repeating
    TimerHandle statePoll_;     // 300, 1000 or 100 ms
    TimerHandle cardRequests_;  // 200 ms after the last supply's status
    std::size_t pollsRun_ = 0;
    std::size_t cardRequestRuns_ = 0;
    bool danteRowsDue_ = false;  // the start sequence went out before the boards were known
    StartKind danteKind_ = StartKind::Full;
    Subscription capabilities_;
};

}  // namespace velmar
