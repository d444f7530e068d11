#include "device/Session.h"

#include "device/DeviceModel.h"

namespace velmar {

using namespace std::chrono_literals;

Session::Session(LineTransport& transport, DatagramSocket& datagrams, TimerService& timers, LinkPorts ports,
                 ConsoleOptions options)
    : timers_(timers),
      probe_(datagrams, timers),
      link_(codec_, transport, probe_, timers, connection_, ports),
      requests_(link_, state_, connection_),
      dispatcher_(state_, connection_, codec_, requests_, timers, views_, [this] { Retitle(); }),
      poller_(state_, connection_, requests_, link_, timers, views_) {
    connection_.options = options;
    state_.ResetState();
    link_.SetListener(this);
    timers_.SetListener(this);
}

Session::~Session() {
    timers_.SetListener(nullptr);
    link_.SetListener(nullptr);
}

void Session::Connect(std::string_view address, DeviceMode mode, std::int32_t modelClass) {
    StopStepper();
    connection_.deviceMode = mode;
    connection_.modelClass = modelClass;
    link_.Connect(address);
}

void Session::Disconnect() {
    link_.Close();
    SetConnected(false);
}

void Session::SetConnected(bool connected) {
    connection_.connected = connected;
    connection_.connectedIp = 0;
    connection_.deviceNameText.Assign({});
    state_.ResetState();
    timers_.Stop(TimerId::KeepAlive);
    if (views_.matrix != nullptr)
        views_.matrix->ClearList();
    if (connected) {
        connection_.aliveCounter = 0;
        connection_.connectedIp = link_.TargetAddress();
        poller_.StartConnection();
    }
    StopStepper();
    Retitle();
    if (views_.mainWindow != nullptr) {
        views_.mainWindow->SetSettingsEnabled(false);
        views_.mainWindow->ConnectionChanged(connected);
    }
}

std::int32_t Session::Channels() const {
    return ChannelCount(state_, connection_.modelClass);
}

std::string Session::Title() const {
    return DeviceLink::TitleText(baseTitle_, connection_, link_.IsTelnetLink());
}

void Session::Retitle() {
    if (views_.mainWindow != nullptr)
        views_.mainWindow->SetTitle(Title());
}

void Session::OnConnectResult(int error) {
    if (error == 0) {
        SetConnected(true);
    } else if (views_.mainWindow != nullptr) {
        views_.mainWindow->ConnectFailed(error);
    }
}

void Session::OnLinkReplaced() {
    SetConnected(false);
}

void Session::OnPeerClosed() {
    Disconnect();
}

void Session::OnRecord(const CommandMessage& record, bool isReply) {
    if (observer_)
        observer_(record, isReply);
    dispatcher_.Dispatch(record, isReply);
}

void Session::OnTimer(TimerId id) {
    switch (id) {
        case TimerId::Stepper:
            StepperTick();
            return;
        case TimerId::KeepAlive:
            if (!poller_.KeepAliveTick(FirmwareRunActive()))
                Disconnect();
            return;
        case TimerId::StatePoll:
            poller_.StatePoll();
            return;
        case TimerId::FirmwareEnd:
            FirmwareRunEnd();
            return;
        case TimerId::CardRequests:
            poller_.CardSettings();
            return;
        case TimerId::EchoPeek:
        case TimerId::ReconnectPause:
            link_.OnTimer(id);
            return;
        case TimerId::Discovery:
        case TimerId::DeviceReload:
            return;  // the device list's timers; the console routes them itself
    }
}

void Session::StartStepper(std::int32_t first, std::int32_t last, bool disconnect) {
    connection_.stepper = {true, disconnect, first, last};
    timers_.Start(TimerId::Stepper, 1ms, true);
}

void Session::StopStepper() {
    if (!connection_.stepper.active)
        return;
    timers_.Stop(TimerId::Stepper);
    connection_.stepper.active = false;
}

void Session::StepperTick() {
    StepperState& stepper = connection_.stepper;
    if (!stepper.active)
        return;
    requests_.SetCrosspoint(stepper.next, stepper.disconnect ? 0 : stepper.next);
    if (stepper.next >= stepper.last)
        StopStepper();
    ++stepper.next;
}

void Session::StartFirmwareRun() {
    requests_.FirmwareBegin();
    timers_.Start(TimerId::FirmwareEnd, 1000ms, false);
}

void Session::FirmwareRunEnd() {
    timers_.Stop(TimerId::FirmwareEnd);
    if (!FirmwareRunActive())
        return;
    if (!views_.firmware->FinishRun())
        return;
    if (connection_.deviceMode != DeviceMode::Recovery) {
        requests_.Maintenance(CommandCode::srestart, 1);
    } else {
        requests_.Maintenance(CommandCode::sloadapp, 0);
    }
    if (views_.mainWindow != nullptr)
        views_.mainWindow->RemoveConnectedRow();
    Disconnect();
}

}  // namespace velmar
