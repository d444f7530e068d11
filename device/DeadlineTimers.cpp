#include "device/DeadlineTimers.h"

#include <algorithm>

namespace velmar {

TimerHandle DeadlineTimers::Start(std::string_view name, std::chrono::milliseconds interval, TimerMode mode,
                                  std::function<void()> expired) {
    timers_.push_back(
        Timer{++lastId_, std::string(name), Now() + interval, interval, mode, std::move(expired)});
    return TimerHandle(*this, lastId_);
}

void DeadlineTimers::Cancel(std::uint64_t id) {
    std::erase_if(timers_, [id](const Timer& timer) { return timer.id == id; });
}

bool DeadlineTimers::IsRunning(std::uint64_t id) const {
    return std::any_of(timers_.begin(), timers_.end(), [id](const Timer& timer) { return timer.id == id; });
}

bool DeadlineTimers::Rearm(std::uint64_t id, std::chrono::milliseconds interval) {
    const auto it =
        std::find_if(timers_.begin(), timers_.end(), [id](const Timer& timer) { return timer.id == id; });
    if (it == timers_.end())
        return false;
    it->deadline = Now() + interval;
    it->interval = interval;
    return true;
}

std::optional<DeadlineTimers::Time> DeadlineTimers::NextDeadline() const {
    std::optional<Time> next;
    for (const Timer& timer : timers_) {
        if (!next || timer.deadline < *next)
            next = timer.deadline;
    }
    return next;
}

bool DeadlineTimers::FireEarliest(Time limit) {
    auto next = timers_.end();
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        if (it->deadline <= limit && (next == timers_.end() || it->deadline < next->deadline))
            next = it;
    }
    if (next == timers_.end())
        return false;
    Reached(next->deadline);
    // The callback may start or stop timers, so it runs from its own copy (a one-shot timer's is
    // moved out) and the table is settled first.
    std::function<void()> expired;
    if (next->mode == TimerMode::Repeat) {
        expired = next->expired;
        next->deadline = Now() + next->interval;
    } else {
        expired = std::move(next->expired);
        timers_.erase(next);
    }
    expired();
    return true;
}

std::vector<DeadlineTimers::Info> DeadlineTimers::Running() const {
    std::vector<Info> running;
    running.reserve(timers_.size());
    for (const Timer& timer : timers_)
        running.push_back({timer.name, timer.deadline, timer.interval, timer.mode});
    return running;
}

}  // namespace velmar
