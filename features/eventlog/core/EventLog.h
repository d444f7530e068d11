#pragma once

#include <array>
#include <bitset>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "device/DeviceState.h"
#include "device/EventHub.h"
#include "device/SessionEvents.h"

namespace velmar {

class Session;

struct LogEntry {
    std::chrono::system_clock::time_point time;
    NoticeLevel level = NoticeLevel::Info;
    std::string text;
};

// Every entry of the log, published on the hub the log follows, for whoever keeps them (the
// rack's history).
struct EventLogged {
    LogEntry entry;
};

// "info", "warning" or "error", as the log's lines say it.
std::string_view NoticeLevelName(NoticeLevel level);

// The console's event log: one time-stamped entry per connect, disconnect, lost link (and why),
// refused request (with the frame's status), routing change sent from here, and every notice a
// window or tool publishes. Following a session, it also names the frame in what it says about it
// and says, once each, what the frame reports changing: a power supply or fan going faulty or good
// again, the sync source and its lock, the sample rate, a level detector tripping, the frame
// leaving to restart. The window's dock and `velmar-cli --events` show the same entries.
class EventLog {
  public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;
    // How many entries a view of the log keeps before it drops the oldest.
    static constexpr std::size_t kKept = 5000;

    explicit EventLog(
        EventHub& events, Clock clock = [] { return std::chrono::system_clock::now(); });

    // Names the session's frame in its entries and follows its health reports.
    void FollowFrame(const Session& session);

    // Called for every new entry: the log itself keeps none, its views do.
    void SetListener(std::function<void(const LogEntry&)> listener) { listener_ = std::move(listener); }
    void Add(NoticeLevel level, std::string text);

    // "21:55:02.123  warning  The link to 127.0.0.2 was lost: …" (local time).
    static std::string Format(const LogEntry& entry);

  private:
    // The frame's health as last said, so that each change is said once.
    struct Health {
        std::array<std::string, 2> supplies;
        std::array<std::string, 3> fans;
        std::optional<std::int32_t> syncSource;
        std::optional<std::int32_t> syncState;
        std::optional<std::int32_t> rate;
        std::array<std::bitset<kChannelTableSize>, 2> tripped;
    };

    void Emit(LogEntry entry);
    // The connect is said once the frame's name is known, or before anything else is said.
    void SayConnected();
    std::string Frame() const;
    void OnUnits(bool supplies);
    void OnSync(std::int32_t source, std::int32_t state);
    void OnRate(std::int32_t rate);
    void OnDetectors(std::int32_t direction, std::int32_t first, std::int32_t count);

    EventHub& events_;
    Clock clock_;
    std::function<void(const LogEntry&)> listener_;
    const Session* session_ = nullptr;
    std::optional<LogEntry> pendingConnect_;
    std::string lastFrame_;
    std::unique_ptr<Health> health_ = std::make_unique<Health>();
    Subscriptions subscriptions_;
};

}  // namespace velmar
