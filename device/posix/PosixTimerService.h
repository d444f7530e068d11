#pragma once

#include <optional>

#include "device/DeadlineTimers.h"
#include "device/posix/PosixEventLoop.h"

namespace velmar {

// Timers on the steady clock of a PosixEventLoop; expiries are delivered by the loop's turns.
class PosixTimerService final : public DeadlineTimers {
  public:
    explicit PosixTimerService(PosixEventLoop& loop) : loop_(loop) { loop_.AddTimers(this); }
    ~PosixTimerService() override { loop_.RemoveTimers(this); }
    PosixTimerService(const PosixTimerService&) = delete;
    PosixTimerService& operator=(const PosixTimerService&) = delete;

    std::optional<PosixEventLoop::Clock::time_point> NextDue() const;
    // Fires the timers that were due at `now`, each once, in deadline order.
    void FireDue(PosixEventLoop::Clock::time_point now);
    std::chrono::system_clock::time_point WallTime() const override {
        return std::chrono::system_clock::now();
    }

  protected:
    Time Now() const override { return loop_.Now().time_since_epoch(); }

  private:
    PosixEventLoop& loop_;
};

}  // namespace velmar
