#include "features/watch/core/FrameWatch.h"

#include "device/DeviceModeName.h"
#include "device/DeviceModel.h"
#include "features/clock/core/ClockEvents.h"
#include "features/identity/core/IdentityEvents.h"
#include "features/watch/core/HealthEvents.h"
#include "protocol/Ipv4Address.h"
#include "protocol/TextEncoding.h"

namespace velmar {

namespace {

std::string StatusText(std::int32_t status) {
    return status == 0 ? "ok" : "fault";
}

// The session velmar-cli's watch builds on its own sockets.
class BuiltLink final : public WatchLink {
  public:
    BuiltLink(LineTransport& transport, DatagramSocket& datagrams, TimerService& timers, LinkPorts ports)
        : session_(transport, datagrams, timers, ports, HealthOnlyOptions()) {}
    Session& Get() override { return session_; }

  private:
    Session session_;
};

}  // namespace

FrameWatch::FrameWatch(LineTransport& transport, DatagramSocket& datagrams, TimerService& timers,
                       LinkPorts ports, EventHub& rack, std::string address, DeviceMode mode)
    : FrameWatch(
          [&transport, &datagrams, &timers, ports](const std::string&, DeviceMode) {
              return std::make_unique<BuiltLink>(transport, datagrams, timers, ports);
          },
          timers, rack, std::move(address), mode) {}

FrameWatch::FrameWatch(WatchLinkOpener open, TimerService& timers, EventHub& rack, std::string address,
                       DeviceMode mode, Session* focused)
    : open_(std::move(open)),
      timers_(timers),
      rack_(rack),
      address_(std::move(address)),
      ip_(ParseIpv4(address_).value_or(0)),
      mode_(mode),
      focused_(focused) {}

FrameWatch::~FrameWatch() {
    focus_ = {};
    DropOwnLink();
}

void FrameWatch::Start() {
    if (started_)
        return;
    started_ = true;
    if (focused_ != nullptr)
        focus_ = focused_->Events().Subscribe<ConnectionChanged>(
            [this](const ConnectionChanged&) { FocusMoved(); });
    if (FocusedIsHere()) {
        following_ = nullptr;
        FocusMoved();
    } else {
        UseOwnLink();
    }
}

std::string FrameWatch::Value(std::string_view what) const {
    const auto found = values_.find(what);
    return found == values_.end() ? std::string() : found->second;
}

bool FrameWatch::FocusedIsHere() const {
    return focused_ != nullptr && ip_ != 0 && focused_->Connection().connected &&
           focused_->Connection().connectedIp == ip_;
}

bool FrameWatch::PsuConfKnown() const {
    return SharesFocused() ? following_->State().config.psuConf != 0 : psuConfKnown_;
}

bool FrameWatch::FanConfKnown() const {
    return SharesFocused() ? following_->State().config.fanConf != 0 : fanConfKnown_;
}

void FrameWatch::FocusMoved() {
    const bool here = FocusedIsHere();
    if (here && !SharesFocused()) {
        // One link to a frame is enough, and some frames take no second one.
        DropOwnLink();
        Follow(*focused_);
        Change("link", "up");
        Change("mode", std::string(ModeName(focused_->Connection().deviceMode)));
        // What the focused session already read is not published again.
        const DeviceState& state = focused_->State();
        if (!state.config.deviceName.Empty())
            Change("name", DecodeFrameText(state.config.deviceName.View()));
        if (!state.config.devInfo.type.Empty())
            Change("model", DecodeFrameText(state.config.devInfo.type.View()));
        for (std::int32_t supply = 1; supply <= 2; ++supply)
            Supply(supply);
        for (std::int32_t fan = 1; fan <= 3; ++fan) {
            if ((state.config.fanConf & (1u << (fan - 1))) != 0)
                Fan(fan);
        }
        if (state.live.actualRate != 0)
            Change("sample-rate", std::string(SampleRateName(state.live.actualRate)));
        // Sources are numbered from 1: nothing read yet is no source at all.
        if (state.live.syncSource != 0) {
            Change("sync-source", std::string(SyncSourceName(state.live.syncSource)));
            Change("sync", state.live.syncState == 0 ? "locked" : "unlocked");
        }
    } else if (!here && SharesFocused()) {
        subscriptions_.clear();
        following_ = nullptr;
        if (focused_->Connection().lostSince)
            Change("link", "lost");
        UseOwnLink();
    }
}

void FrameWatch::UseOwnLink() {
    if (!own_) {
        own_ = open_(address_, mode_);
        psuConfKnown_ = false;
        fanConfKnown_ = false;
        own_->Get().SetRecordObserver([this](const CommandMessage& record, bool isReply) {
            if (isReply && record.status == 0) {
                psuConfKnown_ = psuConfKnown_ || record.code == ToCode(CommandCode::gpsuconf);
                fanConfKnown_ = fanConfKnown_ || record.code == ToCode(CommandCode::gfanconf);
            }
        });
    }
    Session& session = own_->Get();
    Follow(session);
    if (session.Connection().connected) {
        // Another holder connected it before us: what it read is as good as an answer.
        psuConfKnown_ = session.State().config.psuConf != 0;
        fanConfKnown_ = session.State().config.fanConf != 0;
        Change("link", "up");
        Change("mode", std::string(ModeName(mode_)));
    } else if (!session.HasTarget()) {
        Connect();
    } else if (!retry_.Running()) {
        retry_ = timers_.Start("watch retry", kRetry, TimerMode::Once, [this] { Connect(); });
    }
}

void FrameWatch::DropOwnLink() {
    retry_.Stop();
    if (own_ && following_ == &own_->Get()) {
        subscriptions_.clear();
        following_ = nullptr;
    }
    if (own_) {
        own_->Get().SetRecordObserver(nullptr);
        own_.reset();
    }
}

void FrameWatch::Follow(Session& session) {
    subscriptions_.clear();
    following_ = &session;
    EventHub& events = session.Events();
    subscriptions_.push_back(events.Subscribe<ConnectionChanged>([this](const ConnectionChanged& e) {
        // The focused session's comings and goings are FocusMoved's.
        if (SharesFocused())
            return;
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
    subscriptions_.push_back(events.Subscribe<ConnectFailed>([this](const ConnectFailed&) {
        if (!SharesFocused())
            LinkDown("unreachable");
    }));
    subscriptions_.push_back(events.Subscribe<DeviceIdChanged>(
        [this](const DeviceIdChanged& e) { Change("name", DecodeFrameText(e.name)); }));
    subscriptions_.push_back(events.Subscribe<DeviceInfoChanged>(
        [this](const DeviceInfoChanged& e) { Change("model", DecodeFrameText(e.type)); }));
    subscriptions_.push_back(
        events.Subscribe<PowerStatusChanged>([this](const PowerStatusChanged& e) { Supply(e.supply); }));
    subscriptions_.push_back(
        events.Subscribe<FanStatusChanged>([this](const FanStatusChanged& e) { Fan(e.fan); }));
    subscriptions_.push_back(events.Subscribe<SyncStatusChanged>([this](const SyncStatusChanged& e) {
        Change("sync-source", std::string(SyncSourceName(e.source)));
        Change("sync", e.state == 0 ? "locked" : "unlocked");
    }));
    subscriptions_.push_back(events.Subscribe<SampleRateChanged>([this](const SampleRateChanged& e) {
        Change("sample-rate", std::string(SampleRateName(e.actualRate)));
    }));
}

void FrameWatch::Supply(std::int32_t supply) {
    if (supply < 1 || supply > 2 || !PsuConfKnown())
        return;
    const DeviceState& state = following_->State();
    const auto at = static_cast<std::size_t>(supply - 1);
    // A supply the frame says is not fitted has no status worth an alarm.
    const bool fitted = (state.config.psuConf & (1u << at)) != 0;
    Change("psu" + std::to_string(supply), fitted ? StatusText(state.live.psuStatus[at]) : "not fitted");
}

void FrameWatch::Fan(std::int32_t fan) {
    if (fan < 1 || fan > 3 || !FanConfKnown())
        return;
    Change("fan" + std::to_string(fan),
           StatusText(following_->State().live.fanStatus[static_cast<std::size_t>(fan - 1)]));
}

void FrameWatch::Connect() {
    retry_.Stop();
    if (own_ && following_ == &own_->Get())
        own_->Get().Connect(address_, mode_, ModelClass::Full);
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
