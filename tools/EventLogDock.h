#pragma once

#include <QDockWidget>

#include "device/Session.h"
#include "tools/core/EventLog.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace velmar {

// The event log as a dock of the main window: entries filtered by text and level, and after a
// lost link "Reconnect" and the choice to reconnect on its own when the frame answers again.
class EventLogDock final : public QDockWidget {
  public:
    EventLogDock(Session& session, QWidget* parent);

    EventLog& Log() { return log_; }
    QListWidget* Entries() const { return entries_; }
    QLineEdit* Filter() const { return filter_; }
    QComboBox* Level() const { return level_; }
    QPushButton* ReconnectButton() const { return reconnect_; }
    QCheckBox* AutoReconnect() const { return autoReconnect_; }

  private:
    void Append(const LogEntry& entry);
    void ApplyFilter();
    bool Shows(int row) const;
    void ShowReconnect();

    Session& session_;
    EventLog log_;
    QLineEdit* filter_;
    QComboBox* level_;
    QListWidget* entries_;
    QPushButton* reconnect_;
    QCheckBox* autoReconnect_;
    Subscriptions subscriptions_;
};

}  // namespace velmar
