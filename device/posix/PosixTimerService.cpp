#include "device/posix/PosixTimerService.h"

#include <vector>

namespace velmar {

void PosixTimerService::Start(TimerId id, std::chrono::milliseconds interval, bool repeating) {
    timers_[id] = Timer{loop_.Now() + interval, interval, repeating, ++generation_};
}

std::optional<PosixEventLoop::Clock::time_point> PosixTimerService::NextDeadline() const {
    std::optional<PosixEventLoop::Clock::time_point> next;
    for (const auto& [id, timer] : timers_) {
        if (!next || timer.deadline < *next)
            next = timer.deadline;
    }
    return next;
}

void PosixTimerService::FireDue(PosixEventLoop::Clock::time_point now) {
    std::vector<std::pair<TimerId, std::uint64_t>> due;
    for (const auto& [id, timer] : timers_) {
        if (timer.deadline <= now)
            due.emplace_back(id, timer.generation);
    }
    for (const auto& [id, generation] : due) {
        // A handler that ran before may have stopped or restarted this timer.
        auto it = timers_.find(id);
        if (it == timers_.end() || it->second.generation != generation)
            continue;
        if (it->second.repeating) {
            it->second.deadline = now + it->second.interval;
        } else {
            timers_.erase(it);
        }
        if (listener_ != nullptr)
            listener_->OnTimer(id);
    }
}

}  // namespace velmar
