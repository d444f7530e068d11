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

void PosixEventLoop::RemoveTimers(PosixTimerService* timers) {
    timerServices_.erase(std::remove(timerServices_.begin(), timerServices_.end(), timers),
                         timerServices_.end());
}

void PosixEventLoop::RunOnce(std::chrono::milliseconds maxWait) {
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

    std::vector<pollfd> fds;
    fds.reserve(watchers_.size());
    for (const auto& [fd, watcher] : watchers_)
        fds.push_back(pollfd{fd, watcher.events, 0});
    const int ready = ::poll(fds.data(), fds.size(), static_cast<int>(wait.count()));
    if (ready > 0) {
        for (const pollfd& entry : fds) {
            if (entry.revents == 0)
                continue;
            // A callback may have closed this descriptor (or another) meanwhile.
            auto it = watchers_.find(entry.fd);
            if (it == watchers_.end())
                continue;
            FdCallback callback = it->second.callback;
            callback(entry.revents);
        }
    }
    const auto after = Now();
    const std::vector<PosixTimerService*> services = timerServices_;
    for (PosixTimerService* timers : services) {
        if (std::find(timerServices_.begin(), timerServices_.end(), timers) != timerServices_.end()) {
            timers->FireDue(after);
        }
    }
    std::vector<std::function<void()>> posted;
    posted.swap(posted_);
    for (auto& callback : posted)
        callback();
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
