#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "device/ConnectionState.h"
#include "device/DatagramSocket.h"
#include "device/DeviceLink.h"
#include "device/DeviceState.h"
#include "device/Dispatcher.h"
#include "device/EchoProbe.h"
#include "device/LineTransport.h"
#include "device/LinkPorts.h"
#include "device/Poller.h"
#include "device/Requests.h"
#include "device/TimerService.h"
#include "device/ViewRegistry.h"
#include "protocol/MessageCodec.h"

namespace velmar {

// The console's connection to one frame, without windows: it owns the codec, the frame image,
// the link, the dispatcher and the polling, and routes the timers. The main window (or the CLI)
// owns one Session and plugs its views into Views().
class Session final : private LinkListener, private TimerListener {
  public:
    Session(LineTransport& transport, DatagramSocket& datagrams, TimerService& timers, LinkPorts ports,
            ConsoleOptions options);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Connect to a frame chosen from the device list: mode and class come from its row. The
    // outcome arrives later: SetConnected(true), or MainWindowView::ConnectFailed.
    void Connect(std::string_view address, DeviceMode mode, std::int32_t modelClass);
    void Disconnect();
    void SetConnected(bool connected);

    // Begins programming the image the FirmwareRun view holds: the begin request and the 1 s
    // watchdog; the frame's answers pace the rest.
    void StartFirmwareRun();

    // The crosspoint stepper: one scross per 1 ms tick from `first` to `last`.
    void StartStepper(std::int32_t first, std::int32_t last, bool disconnect);
    void StopStepper();

    // Sees every record before the dispatcher does (a probe's or a test's window on the stream).
    void SetRecordObserver(std::function<void(const CommandMessage&, bool isReply)> observer) {
        observer_ = std::move(observer);
    }
    void SetBaseTitle(std::string_view title) { baseTitle_ = title; }
    std::string Title() const;

    DeviceState& State() { return state_; }
    const DeviceState& State() const { return state_; }
    ConnectionState& Connection() { return connection_; }
    const ConnectionState& Connection() const { return connection_; }
    Requests& Request() { return requests_; }
    DeviceLink& Link() { return link_; }
    const DeviceLink& Link() const { return link_; }
    ViewRegistry& Views() { return views_; }
    std::int32_t Channels() const;
    const Poller& Polling() const { return poller_; }
    bool FirmwareRunActive() const { return views_.firmware != nullptr && views_.firmware->IsActive(); }

    void OnTimer(TimerId id) override;

  private:
    void OnConnectResult(int error) override;
    void OnLinkReplaced() override;
    void OnPeerClosed() override;
    void OnRecord(const CommandMessage& record, bool isReply) override;

    void Retitle();
    void StepperTick();
    void FirmwareRunEnd();

    TimerService& timers_;
    std::string baseTitle_ = " Velmar";
    MessageCodec codec_;
    DeviceState state_;
    ConnectionState connection_;
    ViewRegistry views_;
    EchoProbe probe_;
    DeviceLink link_;
    Requests requests_;
    Dispatcher dispatcher_;
    Poller poller_;
    std::function<void(const CommandMessage&, bool)> observer_;
};

}  // namespace velmar
