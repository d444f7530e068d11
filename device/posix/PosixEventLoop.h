#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

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
    std::map<int, Watcher> watchers_;
    std::vector<std::function<void()>> posted_;
    std::vector<PosixTimerService*> timerServices_;
};

}  // namespace velmar
