#pragma once

#include <QDockWidget>
#include <functional>

#include "device/Session.h"
#include "features/eventlog/core/EventLog.h"

class QCheckBox;
class QHBoxLayout;
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
    // A button on the log's tool row (the routing area's undo and redo are put here).
    QPushButton* AddButton(const QString& text, std::function<void()> pressed);

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
    QHBoxLayout* tools_;
    bool lost_ = false;  // the last link went down without the operator asking
    Subscriptions subscriptions_;
};

}  // namespace velmar
