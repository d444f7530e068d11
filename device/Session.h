#pragma once

#include <array>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <typeinfo>

#include "device/ConnectionState.h"
#include "device/DatagramSocket.h"
#include "device/DeviceLink.h"
#include "device/DeviceState.h"
#include "device/Dispatcher.h"
#include "device/EchoProbe.h"
#include "device/EventHub.h"
#include "device/LineTransport.h"
#include "device/LinkPorts.h"
#include "device/Poller.h"
#include "device/RequestOutcomes.h"
#include "device/RequestWriter.h"
#include "device/ReturnWatch.h"
#include "device/SessionEvents.h"
#include "device/TimerService.h"
#include "device/features/FeatureContext.h"
#include "device/features/FeatureModule.h"
#include "protocol/MessageCodec.h"

namespace velmar {

// The console's connection to one frame, without windows: the codec, the frame image, the
// link, the dispatcher with the feature units, and the polling. The application (or the CLI)
// owns one Session; windows subscribe to its events and call its units, and never own it.
class Session final : private LinkListener {
  public:
    Session(LineTransport& transport, DatagramSocket& datagrams, TimerService& timers, LinkPorts ports,
            ConsoleOptions options);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Connect to a frame chosen from the device list: mode and class come from its row. The
    // outcome arrives later as ConnectionChanged or ConnectFailed.
    void Connect(std::string_view address, DeviceMode mode, ModelClass model);
    void Disconnect();
    // The link went down without the operator asking: says why, then disconnects, and the
    // return watch starts looking for the frame.
    void LoseLink(LinkLossReason reason);
    // Connects again to the frame of the last Connect, as it was chosen then.
    void Reconnect();
    bool HasTarget() const { return !target_.address.empty(); }
    ReturnWatch& Returns() { return returnWatch_; }
    void SetConnected(bool connected);

    // Sees every record before the dispatcher does (a probe's or a test's window on the stream).
    void SetRecordObserver(std::function<void(const CommandMessage&, bool isReply)> observer) {
        observer_ = std::move(observer);
    }
    void SetBaseTitle(std::string_view title) { baseTitle_ = title; }
    // The command-line options; they take effect at the next connect.
    void SetOptions(const ConsoleOptions& options) { connection_.options = options; }
    std::string Title() const;

    EventHub& Events() { return events_; }
    const DeviceState& State() const { return state_; }
    // For tests and benchmarks that stage a frame image. The console writes it only through the
    // dispatcher: the settings apply and every window send what they want and read back.
    DeviceState& MutableState() { return state_; }
    const ConnectionState& Connection() const { return connection_; }
    const FrameCapabilities& Capabilities() const { return connection_.capabilities; }
    std::int32_t Channels() const { return connection_.capabilities.channels; }
    RequestWriter& Requests() { return requests_; }
    // What became of each request sent; a window or command collects its own.
    RequestOutcomes& Outcomes() { return outcomes_; }
    const RequestOutcomes& Outcomes() const { return outcomes_; }
    DeviceLink& Link() { return link_; }
    const DeviceLink& Link() const { return link_; }
    const Poller& Polling() const { return poller_; }
    // Reads the frame's state back after the settings were applied.
    void PollStateIn(std::chrono::milliseconds delay) { poller_.PollStateIn(delay); }
    void RequestCardsIn(std::chrono::milliseconds delay) { poller_.RequestCardsIn(delay); }
    // Connected, and no feature busy (a firmware run, the crosspoint stepper).
    bool IsReady() const;

    // The unit of a feature of features/FeatureList.inc, by its type.
    template <class Unit>
    Unit& Feature() {
        for (std::size_t i = 0; i < kFeatureCount; ++i) {
            if (const CoreModule& module = *CoreModules()[i];
                module.unitType && *module.unitType == typeid(Unit))
                return *static_cast<Unit*>(units_[i].get());
        }
        throw std::logic_error("no feature builds this unit");
    }
    template <class Unit>
    const Unit& Feature() const {
        return const_cast<Session*>(this)->Feature<Unit>();
    }

    // Whether any feature's unit holds the link for now (a firmware run): nothing else is sent.
    bool LinkHeld() const;

  private:
    void OnConnectResult(int error) override;
    void OnLinkReplaced() override;
    void OnPeerClosed() override;
    void OnRecord(const CommandMessage& record, bool isReply) override;

    void Retitle();
    void ForgetLink();
    bool AnyUnit(bool (*CoreModule::*hook)(const void*)) const;

    struct Target {
        std::string address;
        DeviceMode mode = DeviceMode::Application;
        ModelClass model = ModelClass::Full;
    };

    std::string baseTitle_ = " Velmar";
    MessageCodec codec_;
    DeviceState state_;
    ConnectionState connection_;
    EventHub events_;
    EchoProbe probe_;
    RequestOutcomes outcomes_;
    DeviceLink link_;
    RequestWriter requests_;
    Dispatcher dispatcher_;
    Poller poller_;
    FeatureContext context_;
    // One per feature of the list, in its order (null for a feature without a unit).
    std::array<std::shared_ptr<void>, kFeatureCount> units_;
    Target target_;
    ReturnWatch returnWatch_;
    std::function<void(const CommandMessage&, bool)> observer_;
};

}  // namespace velmar
