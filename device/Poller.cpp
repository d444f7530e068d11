#include "device/Poller.h"

#include "device/DeviceModel.h"
#include "device/Session.h"
#include "device/features/interfaces/InterfaceEvents.h"

namespace velmar {

using namespace std::chrono_literals;

void Poller::Stop() {
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
    using C = CommandCode;
    IdentityUnit& identity = session_.Identity();
    InterfacesUnit& interfaces = session_.Interfaces();
    NetworkAudioUnit& dante = session_.NetworkAudio();
    RequestWriter& requests = session_.Requests();
    const bool application = connection_.deviceMode == DeviceMode::Application;
    if (connection_.capabilities.model == ModelClass::NoMatrix) {
        if (application)
            identity.DeviceId();
        identity.NetworkSettings();
    } else if (connection_.deviceMode == DeviceMode::Recovery) {
        identity.NetworkSettings();
        identity.HardwareConfig(2);
        identity.SoftwareVersion(2);
    } else {
        identity.DeviceId();
        requests.Send(C::gdevinfo);
        identity.NetworkSettings();
        identity.HardwareConfig(std::nullopt);
        identity.SoftwareVersion(std::nullopt);
        requests.Send(C::gfanconf);
        requests.Send(C::gpsuconf);
        identity.DeviceFeature(1);
        identity.DeviceFeature(2);
        for (C code : {C::galivetime, C::gsystemdelay, C::ggenrate, C::grateadptsrc, C::gwclkout})
            requests.Send(code);
        session_.Clock().SyncPriorities();
        requests.Send(C::gsyncterm);
        requests.Send(C::gaeschstat);
        interfaces.PhdModes();
        interfaces.Redundancy();
        interfaces.OptionalModuleMode(std::nullopt);
        interfaces.MadiModes(std::nullopt);
        interfaces.HotlinkModes(std::nullopt);
        dante.DanteNetwork(false);
        dante.DanteName();
        requests.Send(C::gswmodeip);
        dante.DanteNetwork(true);
        requests.Send(C::gsrenaip);
    }
    if (connection_.receiveReady)
        PollStateIn(1000ms);
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
    if (!connection_.capabilities.matrix) {
        session_.Events().Publish(ChannelLayoutChanged{});
        requests.Send(CommandCode::aliverequest);
        return;
    }
    requests.Send(CommandCode::gactrate);
    requests.Send(CommandCode::gsyncstat);
    session_.Routing().CrosspointRuns();
    if (IsNewFirmware(state_))
        session_.Interfaces().OptionalModuleInactive(std::nullopt);
    session_.ChannelTools().MainInputStatusList();
}

void Poller::CardSettings() {
    cardRequests_.Stop();
    // The timer outlives a closed link; a Settings button enabled then would edit an empty frame.
    if (!connection_.connected)
        return;
    ++cardRequestRuns_;
    session_.Events().Publish(SettingsAvailability{true});
    for (std::int32_t card = 1; card <= static_cast<std::int32_t>(kCardSlots); ++card)
        session_.Interfaces().CardSettings(card);
}

bool Poller::KeepAliveTick() {
    if (session_.Firmware().RunActive())
        return true;
    link_.SendKeepAlive();
    --connection_.aliveCounter;
    return connection_.aliveCounter >= 0;
}

}  // namespace velmar
