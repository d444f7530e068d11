#include "device/Session.h"

#include "device/DeviceModel.h"

namespace velmar {

Session::Session(LineTransport& transport, DatagramSocket& datagrams, TimerService& timers, LinkPorts ports,
                 ConsoleOptions options)
    : probe_(datagrams, timers),
      outcomes_(timers),
      link_(codec_, transport, probe_, timers, connection_, ports),
      requests_(link_, state_),
      poller_(*this, events_, connection_, link_, timers),
      context_{state_,
               connection_,
               codec_,
               requests_,
               timers,
               events_,
               dispatcher_,
               poller_,
               outcomes_,
               [this] { Disconnect(); },
               [this] { Retitle(); }},
      returnWatch_(probe_, timers, ports.echo, [this] { Reconnect(); }) {
    for (std::size_t i = 0; i < kFeatureCount; ++i) {
        if (const CoreModule& module = *CoreModules()[i]; module.build)
            units_[i] = module.build(context_);
    }
    connection_.options = options;
    state_.ResetState();
    link_.SetListener(this);
    link_.SetObserver(&outcomes_);
}

Session::~Session() {
    link_.SetListener(nullptr);
    link_.SetObserver(nullptr);
}

void Session::Connect(std::string_view address, DeviceMode mode, ModelClass model) {
    ForgetLink();
    returnWatch_.Stop();
    target_ = {std::string(address), mode, model};
    connection_.deviceMode = mode;
    connection_.capabilities = CapabilitiesOf(state_, model);
    link_.Connect(address);
}

void Session::Disconnect() {
    link_.Close();
    connection_.lostSince.reset();
    SetConnected(false);
}

void Session::LoseLink(LinkLossReason reason) {
    const std::uint32_t address = link_.TargetAddress();
    const auto since = context_.timers.WallTime();
    events_.Publish(LinkLost{reason, target_.address, since});
    link_.Close();
    connection_.lostSince = since;
    SetConnected(false);
    if (connection_.deviceMode == DeviceMode::Application)
        returnWatch_.Watch(address);
}

void Session::Reconnect() {
    if (!HasTarget())
        return;
    const Target target = target_;  // Connect replaces target_, which `address` would point into
    Connect(target.address, target.mode, target.model);
}

void Session::SetConnected(bool connected) {
    // Whatever was asked on an earlier link will not be answered on this one.
    outcomes_.LinkClosed();
    // A lost link leaves the frame's last known state for the windows to show, greyed; any
    // other change starts from nothing.
    if (connected)
        connection_.lostSince.reset();
    connection_.connected = connected;
    connection_.connectedIp = 0;
    if (!connection_.lostSince) {
        connection_.deviceNameText.Assign({});
        state_.ResetState();
        for (std::size_t i = 0; i < kFeatureCount; ++i) {
            if (const CoreModule& module = *CoreModules()[i]; module.reset)
                module.reset(units_[i].get());
        }
        connection_.capabilities = CapabilitiesOf(state_, connection_.capabilities.model);
    }
    poller_.Stop();
    ForgetLink();
    if (connected) {
        connection_.aliveCounter = 0;
        connection_.connectedIp = link_.TargetAddress();
        poller_.StartConnection();
    }
    Retitle();
    events_.Publish(SettingsAvailability{false});
    events_.Publish(ConnectionChanged{connected});
}

void Session::ForgetLink() {
    for (std::size_t i = 0; i < kFeatureCount; ++i) {
        if (const CoreModule& module = *CoreModules()[i]; module.newLink)
            module.newLink(units_[i].get());
    }
}

bool Session::AnyUnit(bool (*CoreModule::*hook)(const void*)) const {
    for (std::size_t i = 0; i < kFeatureCount; ++i) {
        if (const CoreModule& module = *CoreModules()[i]; module.*hook && (module.*hook)(units_[i].get()))
            return true;
    }
    return false;
}

bool Session::LinkHeld() const {
    return AnyUnit(&CoreModule::holdsLink);
}

bool Session::IsReady() const {
    return connection_.connected && !AnyUnit(&CoreModule::busy);
}

std::string Session::Title() const {
    return DeviceLink::TitleText(baseTitle_, connection_, link_.IsTelnetLink());
}

void Session::Retitle() {
    events_.Publish(TitleChanged{Title()});
}

void Session::OnConnectResult(int error) {
    if (error == 0) {
        SetConnected(true);
    } else {
        events_.Publish(ConnectFailed{error});
    }
}

void Session::OnLinkReplaced() {
    SetConnected(false);
}

void Session::OnPeerClosed() {
    LoseLink(LinkLossReason::ClosedByFrame);
}

void Session::OnRecord(const CommandMessage& record, bool isReply) {
    if (observer_)
        observer_(record, isReply);
    dispatcher_.Dispatch(record, isReply);
}

}  // namespace velmar
