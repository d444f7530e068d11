#include "platform/qt/QtTimerService.h"

namespace velmar {

TimerHandle QtTimerService::Start(std::string_view name, std::chrono::milliseconds interval, TimerMode mode,
                                  std::function<void()> expired) {
    const std::uint64_t id = ++lastId_;
    auto* timer = new QTimer(this);
    timer->setObjectName(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    // The crosspoint stepper runs at 1 ms; coarse timers would stretch a burst tenfold.
    timer->setTimerType(Qt::PreciseTimer);
    timer->setSingleShot(mode == TimerMode::Once);
    connect(timer, &QTimer::timeout, this, [this, id, mode, expired = std::move(expired)] {
        if (!timers_.contains(id))
            return;
        // Keep the callback alive: a one-shot timer is over before it runs, and the callback
        // may cancel its own timer.
        const std::function<void()> run = expired;
        if (mode == TimerMode::Once)
            Cancel(id);
        run();
    });
    timers_.emplace(id, timer);
    timer->start(interval);
    return TimerHandle(*this, id);
}

bool QtTimerService::Rearm(std::uint64_t id, std::chrono::milliseconds interval) {
    const auto it = timers_.find(id);
    if (it == timers_.end())
        return false;
    it->second->start(interval);
    return true;
}

void QtTimerService::Cancel(std::uint64_t id) {
    const auto it = timers_.find(id);
    if (it == timers_.end())
        return;
    it->second->stop();
    // The timer may be the one whose signal is being delivered right now.
    it->second->deleteLater();
    timers_.erase(it);
}

}  // namespace velmar
