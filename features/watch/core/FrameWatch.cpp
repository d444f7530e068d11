#include "features/watch/core/FrameWatch.h"

#include "device/DeviceModeName.h"
#include "device/DeviceModel.h"
#include "features/clock/core/ClockEvents.h"
#include "features/identity/core/IdentityEvents.h"
#include "features/watch/core/HealthEvents.h"
#include "protocol/TextEncoding.h"

namespace velmar {

namespace {

ConsoleOptions HealthOnly() {
    ConsoleOptions options;
    options.healthOnly = true;
    return options;
}

std::string StatusText(std::int32_t status) {
    return status == 0 ? "ok" : "fault";
}

}  // namespace

FrameWatch::FrameWatch(LineTransport& transport, DatagramSocket& datagrams, TimerService& timers,
                       LinkPorts ports, EventHub& rack, std::string address, DeviceMode mode)
    : timers_(timers),
      rack_(rack),
      address_(std::move(address)),
      mode_(mode),
      session_(transport, datagrams, timers, ports, HealthOnly()) {
    session_.SetRecordObserver([this](const CommandMessage& record, bool isReply) {
        if (isReply && record.status == 0) {
            psuConfKnown_ = psuConfKnown_ || record.code == ToCode(CommandCode::gpsuconf);
            fanConfKnown_ = fanConfKnown_ || record.code == ToCode(CommandCode::gfanconf);
        }
    });
    EventHub& events = session_.Events();
    const DeviceState& state = session_.State();
    subscriptions_.push_back(events.Subscribe<ConnectionChanged>([this](const ConnectionChanged& e) {
        if (e.connected) {
            retry_.Stop();
            psuConfKnown_ = false;
            fanConfKnown_ = false;
            Change("link", "up");
            Change("mode", std::string(ModeName(mode_)));
        } else {
            LinkDown("lost");
        }
    }));
    subscriptions_.push_back(
        events.Subscribe<ConnectFailed>([this](const ConnectFailed&) { LinkDown("unreachable"); }));
    subscriptions_.push_back(events.Subscribe<DeviceIdChanged>(
        [this](const DeviceIdChanged& e) { Change("name", DecodeFrameText(e.name)); }));
    subscriptions_.push_back(events.Subscribe<DeviceInfoChanged>(
        [this](const DeviceInfoChanged& e) { Change("model", DecodeFrameText(e.type)); }));
    subscriptions_.push_back(
        events.Subscribe<PowerStatusChanged>([this, &state](const PowerStatusChanged& e) {
            if (e.supply < 1 || e.supply > 2 || !psuConfKnown_)
                return;
            const auto at = static_cast<std::size_t>(e.supply - 1);
            // A supply the frame says is not fitted has no status worth an alarm.
            const bool fitted = (state.config.psuConf & (1u << at)) != 0;
            Change("psu" + std::to_string(e.supply),
                   fitted ? StatusText(state.live.psuStatus[at]) : "not fitted");
        }));
    subscriptions_.push_back(events.Subscribe<FanStatusChanged>([this, &state](const FanStatusChanged& e) {
        if (e.fan < 1 || e.fan > 3 || !fanConfKnown_)
            return;
        Change("fan" + std::to_string(e.fan),
               StatusText(state.live.fanStatus[static_cast<std::size_t>(e.fan - 1)]));
    }));
    subscriptions_.push_back(events.Subscribe<SyncStatusChanged>([this](const SyncStatusChanged& e) {
        Change("sync-source", std::string(SyncSourceName(e.source)));
        Change("sync", e.state == 0 ? "locked" : "unlocked");
    }));
    subscriptions_.push_back(events.Subscribe<SampleRateChanged>([this](const SampleRateChanged& e) {
        Change("sample-rate", std::string(SampleRateName(e.actualRate)));
    }));
}

void FrameWatch::Start() {
    Connect();
}

std::string FrameWatch::Value(std::string_view what) const {
    const auto found = values_.find(what);
    return found == values_.end() ? std::string() : found->second;
}

void FrameWatch::Connect() {
    retry_.Stop();
    session_.Connect(address_, mode_, ModelClass::Full);
}

void FrameWatch::Change(std::string_view what, std::string to) {
    std::string& value = values_[std::string(what)];
    if (value == to)
        return;
    HealthChanged change{address_, std::string(what), std::move(value), to, timers_.WallTime()};
    value = std::move(to);
    rack_.Publish(change);
}

void FrameWatch::LinkDown(std::string_view how) {
    // A frame that was never up stays unreachable until it answers, whatever the next try says.
    const std::string link = Value("link");
    Change("link", link.empty() || link == "unreachable" ? "unreachable" : std::string(how));
    if (!retry_.Running())
        retry_ = timers_.Start("watch retry", kRetry, TimerMode::Once, [this] { Connect(); });
}

}  // namespace velmar
