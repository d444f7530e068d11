#pragma once

#include <QObject>
#include <QTimer>
#include <map>

#include "device/TimerService.h"

namespace velmar {

// The core's numbered timers on the Qt event loop: one QTimer per timer id.
class QtTimerService final : public QObject, public TimerService {
    Q_OBJECT

  public:
    explicit QtTimerService(QObject* parent = nullptr) : QObject(parent) {}

    void SetListener(TimerListener* listener) override { listener_ = listener; }
    void Start(TimerId id, std::chrono::milliseconds interval, bool repeating) override;
    void Stop(TimerId id) override;

  private:
    QTimer& TimerFor(TimerId id);

    TimerListener* listener_ = nullptr;
    std::map<TimerId, QTimer*> timers_;
};

}  // namespace velmar
