#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "device/EventHub.h"
#include "device/SessionEvents.h"

namespace velmar {

struct LogEntry {
    std::chrono::system_clock::time_point time;
    NoticeLevel level = NoticeLevel::Info;
    std::string text;
};

// The console's event log: one time-stamped entry per connect, disconnect, lost link (and why),
// refused request (with the frame's status), routing change sent from here, and every notice a
// window or tool publishes. The window's dock and `velmar-cli --events` show the same entries.
class EventLog {
  public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;
    // How many entries a view of the log keeps before it drops the oldest.
    static constexpr std::size_t kKept = 5000;

    explicit EventLog(
        EventHub& events, Clock clock = [] { return std::chrono::system_clock::now(); });

    // Called for every new entry: the log itself keeps none, its views do.
    void SetListener(std::function<void(const LogEntry&)> listener) { listener_ = std::move(listener); }
    void Add(NoticeLevel level, std::string text);

    // "21:55:02.123  warning  The link to 127.0.0.2 was lost: …" (local time).
    static std::string Format(const LogEntry& entry);

  private:
    Clock clock_;
    std::function<void(const LogEntry&)> listener_;
    Subscriptions subscriptions_;
};

}  // namespace velmar
