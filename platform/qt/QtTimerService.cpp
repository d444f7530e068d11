#include "platform/qt/QtTimerService.h"

namespace velmar {

void QtTimerService::Start(TimerId id, std::chrono::milliseconds interval, bool repeating) {
    QTimer& timer = TimerFor(id);
    timer.setSingleShot(!repeating);
    timer.start(interval);
}

void QtTimerService::Stop(TimerId id) {
    const auto it = timers_.find(id);
    if (it != timers_.end())
        it->second->stop();
}

QTimer& QtTimerService::TimerFor(TimerId id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) {
        auto* timer = new QTimer(this);
        // The crosspoint stepper runs at 1 ms; coarse timers would stretch a burst tenfold.
        timer->setTimerType(Qt::PreciseTimer);
        connect(timer, &QTimer::timeout, this, [this, id] {
            if (listener_ != nullptr)
                listener_->OnTimer(id);
        });
        it = timers_.emplace(id, timer).first;
    }
    return *it->second;
}

}  // namespace velmar
