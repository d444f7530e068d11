#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <map>

#include "device/TimerService.h"

namespace velmar {

// The core's timers on the Qt event loop: one QTimer per running timer.
class QtTimerService final : public QObject, public TimerService {
    Q_OBJECT

  public:
    explicit QtTimerService(QObject* parent = nullptr) : QObject(parent) {}

    TimerHandle Start(std::string_view name, std::chrono::milliseconds interval, TimerMode mode,
                      std::function<void()> expired) override;
    std::chrono::system_clock::time_point WallTime() const override {
        return std::chrono::system_clock::now();
    }

  private:
    void Cancel(std::uint64_t id) override;
    bool IsRunning(std::uint64_t id) const override { return timers_.contains(id); }
    bool Rearm(std::uint64_t id, std::chrono::milliseconds interval) override;

    std::map<std::uint64_t, QTimer*> timers_;
    std::uint64_t lastId_ = 0;
};

}  // namespace velmar
