#pragma once

#include <chrono>
#include <string>

#include "device/EventHub.h"
#include "device/TimerService.h"
#include "features/watch/core/HealthHistory.h"

namespace velmar {

// Keeps every change the rack's hub publishes in the history, and the history no older than
// `keep`: pruned at once and then every hour. A failed write is counted and its reason kept, so
// that whoever runs the watch can say the history is incomplete.
class HistoryRecorder {
  public:
    static constexpr std::chrono::hours kDefaultKeep{24 * 30};
    static constexpr std::chrono::hours kPruneEvery{1};

    HistoryRecorder(EventHub& rack, HealthHistory& history, TimerService& timers,
                    std::chrono::hours keep = kDefaultKeep);

    // Keeps the history no older than `keep` from now on, and prunes it at once.
    void SetKeep(std::chrono::hours keep);
    std::size_t Failures() const { return failures_; }
    const std::string& LastFailure() const { return lastFailure_; }

  private:
    void Prune();
    void Note(std::string failure);

    HealthHistory& history_;
    TimerService& timers_;
    std::chrono::hours keep_;
    Subscription recording_;
    TimerHandle pruning_;
    std::size_t failures_ = 0;
    std::string lastFailure_;
};

}  // namespace velmar
