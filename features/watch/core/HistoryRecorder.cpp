#include "features/watch/core/HistoryRecorder.h"

namespace velmar {

HistoryRecorder::HistoryRecorder(EventHub& rack, HealthHistory& history, TimerService& timers,
                                 std::chrono::hours keep)
    : history_(history), timers_(timers), keep_(keep) {
    recording_ =
        rack.Subscribe<HealthChanged>([this](const HealthChanged& change) { Note(history_.Record(change)); });
    Prune();
    pruning_ = timers_.Start("history pruning", kPruneEvery, TimerMode::Repeat, [this] { Prune(); });
}

void HistoryRecorder::SetKeep(std::chrono::hours keep) {
    keep_ = keep;
    Prune();
}

void HistoryRecorder::Prune() {
    Note(history_.Prune(timers_.WallTime() - keep_));
}

void HistoryRecorder::Note(std::string failure) {
    if (failure.empty())
        return;
    ++failures_;
    lastFailure_ = std::move(failure);
}

}  // namespace velmar
