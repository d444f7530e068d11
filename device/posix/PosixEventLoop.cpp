#include "device/posix/PosixEventLoop.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>

#include "device/posix/PosixTimerService.h"

namespace velmar {

void PosixEventLoop::Watch(int fd, short events, FdCallback callback) {
    watchers_[fd] = Watcher{events, std::move(callback)};
}

void PosixEventLoop::SetEvents(int fd, short events) {
    auto it = watchers_.find(fd);
    if (it != watchers_.end())
        it->second.events = events;
}

void PosixEventLoop::Unwatch(int fd) {
    watchers_.erase(fd);
}

void PosixEventLoop::Post(std::function<void()> callback) {
    posted_.push_back(std::move(callback));
}

void PosixEventLoop::AtTurnEnd(const void* owner, std::function<void()> callback) {
    RemoveTurnEnd(owner);
    turnEnds_.emplace_back(owner, std::move(callback));
}

void PosixEventLoop::RemoveTurnEnd(const void* owner) {
    std::erase_if(turnEnds_, [owner](const auto& entry) { return entry.first == owner; });
}

void PosixEventLoop::RunTurnEnds() {
    for (std::size_t i = 0; i < turnEnds_.size(); ++i)
        turnEnds_[i].second();
}

void PosixEventLoop::RemoveTimers(PosixTimerService* timers) {
    timerServices_.erase(std::remove(timerServices_.begin(), timerServices_.end(), timers),
                         timerServices_.end());
}

void PosixEventLoop::RunOnce(std::chrono::milliseconds maxWait) {
    // What was queued outside a turn goes out before the wait.
    RunTurnEnds();
    auto wait = maxWait;
    const auto now = Now();
    for (PosixTimerService* timers : timerServices_) {
        if (auto deadline = timers->NextDue()) {
            const auto until = std::chrono::ceil<std::chrono::milliseconds>(*deadline - now);
            wait = std::min(wait, std::max(until, std::chrono::milliseconds(0)));
        }
    }
    if (!posted_.empty())
        wait = std::chrono::milliseconds(0);

    // A turn run from inside a callback of another keeps its lists to itself.
    const bool nested = turnDepth_ > 0;
    ++turnDepth_;
    std::vector<pollfd> nestedFds;
    std::vector<PosixTimerService*> nestedServices;
    std::vector<std::function<void()>> nestedPosted;
    std::vector<pollfd>& fds = nested ? nestedFds : pollFds_;
    std::vector<PosixTimerService*>& services = nested ? nestedServices : servicesScratch_;
    std::vector<std::function<void()>>& posted = nested ? nestedPosted : postedScratch_;

    fds.clear();
    for (const auto& [fd, watcher] : watchers_)
        fds.push_back(pollfd{fd, watcher.events, 0});
    const int ready = ::poll(fds.data(), fds.size(), static_cast<int>(wait.count()));
    if (ready > 0) {
        for (std::size_t i = 0; i < fds.size(); ++i) {
            const pollfd entry = fds[i];
            if (entry.revents == 0)
                continue;
            // A callback may have closed this descriptor (or another) meanwhile.
            auto it = watchers_.find(entry.fd);
            if (it == watchers_.end())
                continue;
            // A callback may replace its own watcher: it runs from a copy.
            FdCallback callback = it->second.callback;
            callback(entry.revents);
        }
    }
    const auto after = Now();
    services = timerServices_;
    for (PosixTimerService* timers : services) {
        if (std::find(timerServices_.begin(), timerServices_.end(), timers) != timerServices_.end()) {
            timers->FireDue(after);
        }
    }
    posted.swap(posted_);
    for (auto& callback : posted)
        callback();
    posted.clear();
    RunTurnEnds();
    --turnDepth_;
}

bool PosixEventLoop::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = Now() + limit;
    while (!done()) {
        const auto now = Now();
        if (now >= end)
            return done();
        RunOnce(std::chrono::ceil<std::chrono::milliseconds>(end - now));
    }
    return true;
}

}  // namespace velmar
