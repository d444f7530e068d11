#include "device/Poller.h"

#include "device/DeviceModel.h"
#include "device/Session.h"
#include "device/SessionEvents.h"
#include "device/StartSequence.h"

namespace velmar {

using namespace std::chrono_literals;

Poller::Poller(Session& session, EventHub& events, ConnectionState& connection, DeviceLink& link,
               TimerService& timers)
    : session_(session), connection_(connection), link_(link), timers_(timers) {
    capabilities_ = events.Subscribe<CapabilitiesChanged>([this](const CapabilitiesChanged& e) {
        if (e.capabilities.dante && danteRowsDue_)
            AskDanteModule();
    });
}

void Poller::Stop() {
    danteRowsDue_ = false;
    keepAlive_.Stop();
    statePoll_.Stop();
    cardRequests_.Stop();
}

void Poller::StartConnection() {
    Stop();
    connection_.aliveCounter = 0;
    pollsRun_ = 0;
    cardRequestRuns_ = 0;
    if (link_.IsTelnetLink()) {
        // Whatever a Telnet port says right after the connect is its banner, not protocol.
        connection_.receiveReady = false;
        PollStateIn(300ms);
        return;
    }
    // A Telnet link closed inside its hold would otherwise leave the next link deaf.
    connection_.receiveReady = true;
    StartSequence();
    keepAlive_ = timers_.Start("keep-alive", 5000ms, TimerMode::Repeat, [this] {
        if (!KeepAliveTick())
            session_.LoseLink(LinkLossReason::Silent);
    });
}

void Poller::PollStateIn(std::chrono::milliseconds delay) {
    statePoll_ = timers_.Start("state poll", delay, TimerMode::Once, [this] { StatePoll(); });
}

void Poller::RequestCardsIn(std::chrono::milliseconds delay) {
    cardRequests_ = timers_.Start("card requests", delay, TimerMode::Once, [this] { CardSettings(); });
}

void Poller::StartSequence() {
    const StartKind kind = connection_.options.healthOnly                           ? StartKind::Health
                           : connection_.capabilities.model == ModelClass::NoMatrix ? StartKind::NoMatrix
                           : connection_.deviceMode == DeviceMode::Recovery         ? StartKind::Recovery
                                                                                    : StartKind::Full;
    // A frame without a Dante module refuses the module's words, and a command reading it would
    // be blamed for refusals it never asked for: they wait for the boards' answers.
    danteRowsDue_ = false;
    for (const StartStep& step : StartSequenceSteps()) {
        if ((step.kinds & static_cast<std::uint8_t>(kind)) == 0)
            continue;
        if (step.danteModule && !connection_.capabilities.dante) {
            danteRowsDue_ = true;
            danteKind_ = kind;
        } else {
            step.send(session_, kind);
        }
    }
    if (connection_.receiveReady)
        PollStateIn(1000ms);
}

void Poller::AskDanteModule() {
    danteRowsDue_ = false;
    for (const StartStep& step : StartSequenceSteps()) {
        if (step.danteModule && (step.kinds & static_cast<std::uint8_t>(danteKind_)) != 0)
            step.send(session_, danteKind_);
    }
}

void Poller::StatePoll() {
    statePoll_.Stop();
    if (!connection_.receiveReady) {
        connection_.receiveReady = true;
        StartSequence();
        return;
    }
    ++pollsRun_;
    if (connection_.deviceMode != DeviceMode::Application)
        return;
    RequestWriter& requests = session_.Requests();
    // A watch asks every frame for its rate and sync, matrix or not: they are what it watches.
    if (!connection_.capabilities.matrix && !connection_.options.healthOnly) {
        session_.Events().Publish(ChannelLayoutChanged{});
        requests.Send(CommandCode::aliverequest);
        return;
    }
    const StartKind kind = connection_.options.healthOnly ? StartKind::Health : StartKind::Full;
    for (const StartStep& step : StatePollSteps()) {
        if ((step.kinds & static_cast<std::uint8_t>(kind)) != 0)
            step.send(session_, kind);
    }
}

void Poller::CardSettings() {
    cardRequests_.Stop();
    // The timer outlives a closed link; a Settings button enabled then would edit an empty frame.
    // A watch edits nothing, so it neither reads the cards nor offers the settings.
    if (!connection_.connected || connection_.options.healthOnly)
        return;
    ++cardRequestRuns_;
    session_.Events().Publish(SettingsAvailability{true});
    RequestCardSettings(session_);
}

bool Poller::KeepAliveTick() {
    if (session_.LinkHeld())
        return true;
    link_.SendKeepAlive();
    --connection_.aliveCounter;
    return connection_.aliveCounter >= 0;
}

}  // namespace velmar
