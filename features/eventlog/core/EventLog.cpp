#include "features/eventlog/core/EventLog.h"

#include <cstdio>
#include <ctime>

#include "device/DeviceModel.h"
#include "device/Session.h"
#include "features/clock/core/ClockEvents.h"
#include "features/identity/core/IdentityEvents.h"
#include "features/leveldetectors/core/LevelDetectorEvents.h"
#include "features/leveldetectors/core/LevelDetectorUnit.h"
#include "features/routing/core/ChannelNames.h"
#include "features/routing/core/RoutingEvents.h"

namespace velmar {
namespace {

std::string LossText(const LinkLost& lost) {
    const std::string frame = lost.address.empty() ? std::string("the frame") : lost.address;
    return lost.reason == LinkLossReason::Silent
               ? "The link to " + frame + " was lost: the frame stopped answering."
               : "The link to " + frame + " was lost: the frame closed the connection.";
}

const char* LevelText(NoticeLevel level) {
    switch (level) {
        case NoticeLevel::Warning:
            return "warning";
        case NoticeLevel::Error:
            return "error";
        case NoticeLevel::Info:
            break;
    }
    return "info";
}

}  // namespace

std::string_view NoticeLevelName(NoticeLevel level) {
    return LevelText(level);
}

EventLog::EventLog(EventHub& events, Clock clock) : events_(events), clock_(std::move(clock)) {
    subscriptions_.push_back(
        events.Subscribe<LinkLost>([this](const LinkLost& e) { Add(NoticeLevel::Error, LossText(e)); }));
    subscriptions_.push_back(events.Subscribe<ConnectionChanged>([this](const ConnectionChanged& e) {
        if (session_ == nullptr) {
            Add(NoticeLevel::Info, e.connected ? "Connected." : "Disconnected.");
            return;
        }
        if (e.connected) {
            SayConnected();
            *health_ = Health{};
            lastFrame_ = Frame();
            pendingConnect_ = LogEntry{clock_(), NoticeLevel::Info, {}};
            return;
        }
        SayConnected();
        Add(NoticeLevel::Info, "Disconnected from " + lastFrame_ + ".");
    }));
    subscriptions_.push_back(events.Subscribe<ConnectFailed>([this](const ConnectFailed& e) {
        Add(NoticeLevel::Error,
            std::string(kConnectFailedText) + " (error " + std::to_string(e.error) + ").");
    }));
    subscriptions_.push_back(events.Subscribe<CrosspointRefused>([this](const CrosspointRefused& e) {
        Add(NoticeLevel::Warning, "The frame refused to feed " + ChannelText(e.output) + " from " +
                                      SourceText(e.input) + " (status " + std::to_string(e.status) +
                                      "); it still feeds it from " + SourceText(e.kept) + ".");
    }));
    subscriptions_.push_back(events.Subscribe<CrosspointChanged>([this](const CrosspointChanged& e) {
        if (e.origin == CrosspointOrigin::SetReply)
            Add(NoticeLevel::Info, ChannelText(e.output) + " is fed from " + SourceText(e.input) + ".");
    }));
    subscriptions_.push_back(
        events.Subscribe<ConsoleNotice>([this](const ConsoleNotice& e) { Add(e.level, e.text); }));
}

void EventLog::FollowFrame(const Session& session) {
    session_ = &session;
    lastFrame_ = Frame();
    subscriptions_.push_back(events_.Subscribe<DeviceIdChanged>([this](const DeviceIdChanged&) {
        lastFrame_ = Frame();
        SayConnected();
    }));
    subscriptions_.push_back(events_.Subscribe<FrameLeaving>(
        [this](const FrameLeaving&) { Add(NoticeLevel::Info, Frame() + ": accepted and is restarting."); }));
    subscriptions_.push_back(
        events_.Subscribe<PowerStatusChanged>([this](const PowerStatusChanged&) { OnUnits(true); }));
    subscriptions_.push_back(
        events_.Subscribe<FanStatusChanged>([this](const FanStatusChanged&) { OnUnits(false); }));
    subscriptions_.push_back(events_.Subscribe<SyncStatusChanged>(
        [this](const SyncStatusChanged& e) { OnSync(e.source, e.state); }));
    subscriptions_.push_back(
        events_.Subscribe<SampleRateChanged>([this](const SampleRateChanged& e) { OnRate(e.actualRate); }));
    subscriptions_.push_back(events_.Subscribe<LevelDetectorsChanged>(
        [this](const LevelDetectorsChanged& e) { OnDetectors(e.direction, e.first, e.count); }));
}

std::string EventLog::Frame() const {
    return session_ != nullptr ? FrameLabel(session_->Connection()) : std::string("the frame");
}

void EventLog::SayConnected() {
    if (!pendingConnect_)
        return;
    LogEntry entry = std::move(*pendingConnect_);
    pendingConnect_.reset();
    entry.text = "Connected to " + Frame() + ".";
    Emit(std::move(entry));
}

void EventLog::Add(NoticeLevel level, std::string text) {
    SayConnected();
    Emit(LogEntry{clock_(), level, std::move(text)});
}

void EventLog::Emit(LogEntry entry) {
    if (listener_)
        listener_(entry);
    events_.Publish(EventLogged{entry});
}

void EventLog::OnUnits(bool supplies) {
    const DeviceState& state = session_->State();
    const std::uint32_t fitted = supplies ? state.config.psuConf : state.config.fanConf;
    const std::size_t units = supplies ? 2 : 3;
    for (std::size_t unit = 1; unit <= units; ++unit) {
        const std::int32_t status =
            supplies ? state.live.psuStatus[unit - 1] : state.live.fanStatus[unit - 1];
        const std::string text(UnitStatusText(fitted, unit, status));
        std::string& said = supplies ? health_->supplies[unit - 1] : health_->fans[unit - 1];
        if (text == said)
            continue;
        const std::string what = (supplies ? "power supply " : "fan ") + std::to_string(unit);
        if (text == "Faulty")
            Add(NoticeLevel::Error, Frame() + ": " + what + " is faulty.");
        else if (said == "Faulty" && text == "OK")
            Add(NoticeLevel::Info, Frame() + ": " + what + " is OK again.");
        said = text;
    }
}

void EventLog::OnSync(std::int32_t source, std::int32_t state) {
    const std::string name(SyncSourceName(source));
    if (health_->syncSource && *health_->syncSource != source) {
        Add(NoticeLevel::Info, Frame() + ": sync source is now " + name + " (was " +
                                   std::string(SyncSourceName(*health_->syncSource)) + ").");
    }
    const bool wasLocked = !health_->syncState || *health_->syncState == 0;
    if (state != 0 && wasLocked)
        Add(NoticeLevel::Warning, Frame() + ": no sync lock on " + name + ".");
    else if (state == 0 && !wasLocked)
        Add(NoticeLevel::Info, Frame() + ": sync locked on " + name + " again.");
    health_->syncSource = source;
    health_->syncState = state;
}

void EventLog::OnRate(std::int32_t rate) {
    if (health_->rate && *health_->rate != rate) {
        const std::string name(SampleRateName(rate));
        Add(name == "Error" ? NoticeLevel::Warning : NoticeLevel::Info,
            Frame() + ": sample rate is now " + name + " (was " +
                std::string(SampleRateName(*health_->rate)) + ").");
    }
    health_->rate = rate;
}

void EventLog::OnDetectors(std::int32_t direction, std::int32_t first, std::int32_t count) {
    if (direction < 0 || direction > 1)
        return;
    const auto& detectors =
        session_->Feature<LevelDetectorUnit>().Detectors()[static_cast<std::size_t>(direction)];
    auto& tripped = health_->tripped[static_cast<std::size_t>(direction)];
    for (std::int32_t channel = std::max(first, 1);
         channel < first + count && channel <= static_cast<std::int32_t>(kChannelTableSize); ++channel) {
        const auto at = static_cast<std::size_t>(channel - 1);
        const bool now = detectors[at].status != 0;
        if (now && !tripped[at]) {
            Add(NoticeLevel::Warning, Frame() + ": the level detector of " +
                                          (direction == 0 ? "input " : "output ") + ChannelText(channel) +
                                          " tripped.");
        }
        tripped[at] = now;
    }
}

std::string EventLog::Format(const LogEntry& entry) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(entry.time);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(entry.time.time_since_epoch()).count() % 1000;
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(millis));
    return std::string(stamp) + "  " + LevelText(entry.level) + "  " + entry.text;
}

}  // namespace velmar
