#pragma once

#include <QObject>
#include <memory>
#include <set>
#include <string>

#include "device/EventHub.h"
#include "features/watch/core/AlarmBook.h"
#include "features/watch/core/BatchedHistory.h"
#include "features/watch/core/HistoryRecorder.h"
#include "features/watch/core/RackSettings.h"
#include "features/watch/core/RackWatch.h"
#include "features/watch/core/SqliteHealthHistory.h"
#include "features/watch/view/RackModel.h"

class QSystemTrayIcon;

namespace velmar {

class ConsoleCore;

// The rack the console watches, kept by the console core for the application's lifetime: a watch
// per discovered (or ticked) frame over the core's frame sessions, the alarm book, the history of
// every change, alarm and event-log entry, and the model the rack view shows. Alarms reach the
// event log (through the focused session's hub) and the desktop's tray where there is one.
class Rack final : public QObject {
    Q_OBJECT

  public:
    explicit Rack(ConsoleCore& core);
    ~Rack() override;

    RackWatch& Watches() { return watch_; }
    AlarmBook& Alarms() { return alarms_; }
    RackModel& Model() { return model_; }
    const RackSettings& Settings() const { return settings_; }
    // Watch every frame the rack knows of, or only the ticked ones; kept in the profile.
    void SetWatchAll(bool all);
    void SetTicked(const std::string& address, bool ticked);
    // The alarms that are on and how long history is kept; kept in the profile.
    void Apply(const RackSettings& settings);
    // Why history is not (fully) kept, empty while it is.
    std::string HistoryProblem() const;
    // Writes what the history holds back now (the benchmarks and tests read it).
    void FlushHistory() { batch_.Flush(); }

  private:
    static constexpr int kStartsPerTurn = 8;

    void Relist();
    void Rewatch();
    void StartSome();
    void Record(std::string frame, std::string what, std::string from, std::string to,
                std::chrono::system_clock::time_point time);
    void Say(const Alarm& alarm, const std::string& how, NoticeLevel level);

    ConsoleCore& core_;
    RackSettings settings_;
    RackWatch watch_;
    SqliteHealthHistory store_;
    std::string opened_;
    BatchedHistory batch_;
    // Before the alarm book: a change is recorded before the alarm it raises.
    HistoryRecorder recorder_;
    AlarmBook alarms_;
    RackModel model_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    std::set<std::string> starting_;
    bool startPending_ = false;
    Subscriptions subscriptions_;
};

}  // namespace velmar
