#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "device/TimerService.h"

namespace velmar {

// Timers kept as deadlines on a clock the subclass reads: the POSIX event loop's steady clock,
// or a test's clock that moves only when told.
class DeadlineTimers : public TimerService {
  public:
    using Time = std::chrono::steady_clock::duration;

    TimerHandle Start(std::string_view name, std::chrono::milliseconds interval, TimerMode mode,
                      std::function<void()> expired) override;

    std::optional<Time> NextDeadline() const;
    // Fires the earliest timer due at or before `limit`; false when none is due. A repeating
    // timer is rescheduled from Now() as its callback begins.
    bool FireEarliest(Time limit);

    struct Info {
        std::string name;
        Time deadline;
        std::chrono::milliseconds interval;
        TimerMode mode;
    };
    // The running timers (for tests and traces).
    std::vector<Info> Running() const;
    std::size_t RunningCount() const { return timers_.size(); }

  protected:
    virtual Time Now() const = 0;
    // Called with the deadline of the timer about to fire, before its callback.
    virtual void Reached(Time /*deadline*/) {}

  private:
    void Cancel(std::uint64_t id) override;
    bool IsRunning(std::uint64_t id) const override;
    bool Rearm(std::uint64_t id, std::chrono::milliseconds interval) override;

    struct Timer {
        std::uint64_t id;
        std::string name;
        Time deadline;
        std::chrono::milliseconds interval;
        TimerMode mode;
        std::function<void()> expired;
    };
    std::vector<Timer> timers_;
    std::uint64_t lastId_ = 0;
};

}  // namespace velmar
