#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>

namespace velmar {

enum class TimerMode : std::uint8_t { Once, Repeat };

class TimerService;

// A running timer. Dropping the handle (or Stop) stops the timer, so a timer can never call
// back into an object that is gone. A one-shot timer is over before its callback runs.
class [[nodiscard]] TimerHandle {
  public:
    TimerHandle() = default;
    TimerHandle(TimerService& service, std::uint64_t id) : service_(&service), id_(id) {}
    TimerHandle(TimerHandle&& other) noexcept
        : service_(std::exchange(other.service_, nullptr)), id_(std::exchange(other.id_, 0)) {}
    TimerHandle& operator=(TimerHandle&& other) noexcept {
        if (this != &other) {
            Stop();
            service_ = std::exchange(other.service_, nullptr);
            id_ = std::exchange(other.id_, 0);
        }
        return *this;
    }
    TimerHandle(const TimerHandle&) = delete;
    TimerHandle& operator=(const TimerHandle&) = delete;
    ~TimerHandle() { Stop(); }

    inline void Stop();
    inline bool Running() const;
    // Starts a running timer's interval afresh at `interval`, keeping its callback, without
    // allocating. False when the timer is not running (or the service cannot): start a new one.
    inline bool Rearm(std::chrono::milliseconds interval);

  private:
    TimerService* service_ = nullptr;
    std::uint64_t id_ = 0;
};

// Time reaches the core only through this. Expiries are delivered on the owner's loop, never
// inside Start or a handle's Stop. The service must outlive every handle it gave out.
class TimerService {
  public:
    virtual ~TimerService() = default;
    // `name` says what the timer is for, in traces and tests ("keep-alive", "state poll" ...).
    virtual TimerHandle Start(std::string_view name, std::chrono::milliseconds interval, TimerMode mode,
                              std::function<void()> expired) = 0;
    // The time of day, for what the operator is told ("lost since 14:02:11"); never a deadline.
    virtual std::chrono::system_clock::time_point WallTime() const = 0;

  protected:
    friend class TimerHandle;
    virtual void Cancel(std::uint64_t id) = 0;
    virtual bool IsRunning(std::uint64_t id) const = 0;
    virtual bool Rearm(std::uint64_t /*id*/, std::chrono::milliseconds /*interval*/) { return false; }
};

void TimerHandle::Stop() {
    if (service_ != nullptr)
        service_->Cancel(id_);
    service_ = nullptr;
    id_ = 0;
}

bool TimerHandle::Running() const {
    return service_ != nullptr && service_->IsRunning(id_);
}

bool TimerHandle::Rearm(std::chrono::milliseconds interval) {
    return service_ != nullptr && service_->Rearm(id_, interval);
}

}  // namespace velmar
