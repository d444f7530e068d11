#include "features/watch/core/BatchedHistory.h"

namespace velmar {

BatchedHistory::BatchedHistory(HealthHistory& store, TimerService& timers) : store_(store), timers_(timers) {}

BatchedHistory::~BatchedHistory() {
    Flush();
}

std::string BatchedHistory::Record(const HealthChanged& change) {
    held_.push_back(change);
    if (held_.size() >= kMaxHeld)
        Flush();
    else if (!flush_.Running())
        flush_ = timers_.Start("history batch", kHold, TimerMode::Once, [this] { Flush(); });
    return {};
}

void BatchedHistory::Flush() {
    flush_.Stop();
    if (held_.empty())
        return;
    const std::vector<HealthChanged> batch = std::move(held_);
    held_.clear();
    if (std::string failure = store_.RecordAll(batch); !failure.empty()) {
        ++failures_;
        lastFailure_ = std::move(failure);
    }
}

std::string BatchedHistory::Prune(std::chrono::system_clock::time_point before) {
    Flush();
    return store_.Prune(before);
}

std::string BatchedHistory::Read(std::string_view frame, std::chrono::system_clock::time_point since,
                                 std::vector<HealthChanged>& into) {
    Flush();
    return store_.Read(frame, since, into);
}

}  // namespace velmar
