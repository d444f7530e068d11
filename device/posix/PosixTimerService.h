#pragma once

#include <map>
#include <optional>

#include "device/TimerService.h"
#include "device/posix/PosixEventLoop.h"

namespace velmar {

// Timers on the steady clock of a PosixEventLoop; expiries are delivered by the loop's turns.
class PosixTimerService final : public TimerService {
  public:
    explicit PosixTimerService(PosixEventLoop& loop) : loop_(loop) { loop_.AddTimers(this); }
    ~PosixTimerService() override { loop_.RemoveTimers(this); }
    PosixTimerService(const PosixTimerService&) = delete;
    PosixTimerService& operator=(const PosixTimerService&) = delete;

    void SetListener(TimerListener* listener) override { listener_ = listener; }
    void Start(TimerId id, std::chrono::milliseconds interval, bool repeating) override;
    void Stop(TimerId id) override { timers_.erase(id); }

    std::optional<PosixEventLoop::Clock::time_point> NextDeadline() const;
    void FireDue(PosixEventLoop::Clock::time_point now);

  private:
    struct Timer {
        PosixEventLoop::Clock::time_point deadline;
        std::chrono::milliseconds interval;
        bool repeating = false;
        std::uint64_t generation = 0;
    };

    PosixEventLoop& loop_;
    TimerListener* listener_ = nullptr;
    std::map<TimerId, Timer> timers_;
    std::uint64_t generation_ = 0;
};

}  // namespace velmar
