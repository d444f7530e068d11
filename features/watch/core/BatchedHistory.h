#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "device/TimerService.h"
#include "features/watch/core/HealthHistory.h"

namespace velmar {

// Holds what is recorded for a moment and writes it to the store in one go, so that the window
// that records a burst of changes (a rack of frames connecting) waits on the file once, not once
// per change. Reads and prunings write what is held first. A failed write is counted and its
// reason kept; its changes are lost, the next ones are tried again.
class BatchedHistory final : public HealthHistory {
  public:
    static constexpr std::chrono::milliseconds kHold{200};
    // Beyond this a burst is written at once rather than held.
    static constexpr std::size_t kMaxHeld = 4096;

    BatchedHistory(HealthHistory& store, TimerService& timers);
    ~BatchedHistory() override;
    BatchedHistory(const BatchedHistory&) = delete;
    BatchedHistory& operator=(const BatchedHistory&) = delete;

    // Holds the change: always empty (a failure shows later in Failures()).
    std::string Record(const HealthChanged& change) override;
    std::string Prune(std::chrono::system_clock::time_point before) override;
    std::string Read(std::string_view frame, std::chrono::system_clock::time_point since,
                     std::vector<HealthChanged>& into) override;
    // Writes what is held now.
    void Flush();

    std::size_t Held() const { return held_.size(); }
    std::size_t Failures() const { return failures_; }
    const std::string& LastFailure() const { return lastFailure_; }

  private:
    HealthHistory& store_;
    TimerService& timers_;
    std::vector<HealthChanged> held_;
    TimerHandle flush_;
    std::size_t failures_ = 0;
    std::string lastFailure_;
};

}  // namespace velmar
