#include "device/Poller.h"

#include "device/DeviceModel.h"

namespace velmar {

using namespace std::chrono_literals;

void Poller::StartConnection() {
    timers_.Stop(TimerId::KeepAlive);
    connection_.aliveCounter = 0;
    pollsRun_ = 0;
    cardRequestRuns_ = 0;
    if (link_.IsTelnetLink()) {
        // Whatever a Telnet port says right after the connect is its banner, not protocol.
        connection_.receiveReady = false;
        timers_.Start(TimerId::StatePoll, 300ms, false);
        return;
    }
    // A Telnet link closed inside its hold would otherwise leave the next link deaf.
    connection_.receiveReady = true;
    StartSequence();
    timers_.Start(TimerId::KeepAlive, 5000ms, true);
}

void Poller::StartSequence() {
    using C = CommandCode;
    const bool application = connection_.deviceMode == DeviceMode::Application;
    if (connection_.modelClass == 2) {
        if (application)
            requests_.DeviceId(false);
        requests_.NetworkSettings(false);
    } else if (connection_.deviceMode == DeviceMode::Recovery) {
        requests_.NetworkSettings(false);
        requests_.HardwareConfig(2);
        requests_.SoftwareVersion(2);
    } else {
        requests_.DeviceId(false);
        requests_.Send(C::gdevinfo);
        requests_.NetworkSettings(false);
        requests_.HardwareConfig(std::nullopt);
        requests_.SoftwareVersion(std::nullopt);
        requests_.Setting(C::gfanconf, false);
        requests_.Setting(C::gpsuconf, false);
        requests_.DeviceFeature(1);
        requests_.DeviceFeature(2);
        for (C code : {C::galivetime, C::gsystemdelay, C::ggenrate, C::grateadptsrc, C::gwclkout}) {
            requests_.Setting(code, false);
        }
        requests_.SyncPriorities(false);
        requests_.Setting(C::gsyncterm, false);
        requests_.Setting(C::gaeschstat, false);
        requests_.PhdModes(false);
        requests_.Redundancy(false);
        requests_.OptionalModuleMode(std::nullopt, false);
        requests_.MadiModes(std::nullopt, false);
        requests_.HotlinkModes(std::nullopt, false);
        requests_.DanteNetwork(false, false);
        requests_.DanteName(false);
        requests_.Setting(C::gswmodeip, false);
        requests_.DanteNetwork(true, false);
        requests_.Setting(C::gsrenaip, false);
    }
    if (connection_.receiveReady)
        timers_.Start(TimerId::StatePoll, 1000ms, false);
}

void Poller::StatePoll() {
    timers_.Stop(TimerId::StatePoll);
    if (!connection_.receiveReady) {
        connection_.receiveReady = true;
        StartSequence();
        return;
    }
    ++pollsRun_;
    if (connection_.deviceMode != DeviceMode::Application)
        return;
    if (connection_.modelClass == 2) {
        if (views_.matrix != nullptr)
            views_.matrix->RebuildTypeSelectors();
        requests_.Send(CommandCode::aliverequest);
        return;
    }
    requests_.Send(CommandCode::gactrate);
    requests_.Send(CommandCode::gsyncstat);
    requests_.CrosspointRuns();
    if (IsNewFirmware(state_))
        requests_.OptionalModuleInactive(std::nullopt);
    requests_.MainInputStatusList();
    if (views_.inputStatus != nullptr)
        views_.inputStatus->RefreshAll();
}

void Poller::CardSettings() {
    timers_.Stop(TimerId::CardRequests);
    // The timer outlives a closed link; a Settings button enabled then would edit an empty frame.
    if (!connection_.connected)
        return;
    ++cardRequestRuns_;
    if (views_.mainWindow != nullptr)
        views_.mainWindow->SetSettingsEnabled(true);
    for (std::int32_t card = 1; card <= static_cast<std::int32_t>(kCardSlots); ++card)
        requests_.CardSettings(card);
}

bool Poller::KeepAliveTick(bool firmwareRunActive) {
    if (firmwareRunActive)
        return true;
    link_.SendKeepAlive();
    --connection_.aliveCounter;
    return connection_.aliveCounter >= 0;
}

}  // namespace velmar
