#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include <poll.h>

namespace velmar {

class PosixTimerService;

// A single-threaded poll() loop that the caller owns and turns: file descriptors, the timer
// services bound to it, and callbacks posted for the next turn.
class PosixEventLoop {
  public:
    using Clock = std::chrono::steady_clock;
    using FdCallback = std::function<void(short revents)>;

    void Watch(int fd, short events, FdCallback callback);
    void SetEvents(int fd, short events);
    void Unwatch(int fd);
    void Post(std::function<void()> callback);
    // `callback` runs at the start and at the end of every turn, after the descriptors, timers
    // and posted callbacks: a writer queues what one turn produces and sends it as one piece
    // before the loop waits again. One per owner; the owner removes it before it goes.
    void AtTurnEnd(const void* owner, std::function<void()> callback);
    void RemoveTurnEnd(const void* owner);

    // One turn: waits at most `maxWait` (less when a timer is due), then handles what is ready.
    void RunOnce(std::chrono::milliseconds maxWait);
    // Turns until `done` or until `limit` has passed; returns done().
    bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

    Clock::time_point Now() const { return Clock::now(); }

  private:
    friend class PosixTimerService;
    void AddTimers(PosixTimerService* timers) { timerServices_.push_back(timers); }
    void RemoveTimers(PosixTimerService* timers);

    struct Watcher {
        short events = 0;
        FdCallback callback;
    };
    void RunTurnEnds();

    std::map<int, Watcher> watchers_;
    std::vector<std::function<void()>> posted_;
    std::vector<PosixTimerService*> timerServices_;
    std::vector<std::pair<const void*, std::function<void()>>> turnEnds_;
    // Kept between turns so that a turn allocates nothing.
    std::vector<pollfd> pollFds_;
    std::vector<PosixTimerService*> servicesScratch_;
    std::vector<std::function<void()>> postedScratch_;
    int turnDepth_ = 0;
};

}  // namespace velmar
