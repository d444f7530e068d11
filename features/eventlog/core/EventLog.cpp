#include "features/eventlog/core/EventLog.h"

#include <cstdio>
#include <ctime>

#include "device/features/routing/RoutingEvents.h"
#include "routing/core/ChannelNames.h"

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

EventLog::EventLog(EventHub& events, Clock clock) : clock_(std::move(clock)) {
    subscriptions_.push_back(
        events.Subscribe<LinkLost>([this](const LinkLost& e) { Add(NoticeLevel::Error, LossText(e)); }));
    subscriptions_.push_back(events.Subscribe<ConnectionChanged>([this](const ConnectionChanged& e) {
        Add(NoticeLevel::Info, e.connected ? "Connected." : "Disconnected.");
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

void EventLog::Add(NoticeLevel level, std::string text) {
    if (listener_)
        listener_(LogEntry{clock_(), level, std::move(text)});
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
