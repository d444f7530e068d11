#pragma once

#include <optional>
#include <ostream>

#include "device/Session.h"
#include "features/eventlog/core/EventLog.h"

namespace velmar {

// With --events, the console's event log goes to stderr for as long as this lives: every
// command that connects shows the same entries the window's log would.
class EventEcho {
  public:
    EventEcho(bool on, Session& session, std::ostream& err) {
        if (!on)
            return;
        log_.emplace(session.Events());
        log_->FollowFrame(session);  // entries name the frame, as the window's do
        log_->SetListener([&err](const LogEntry& entry) { err << EventLog::Format(entry) << "\n"; });
    }

  private:
    std::optional<EventLog> log_;
};

}  // namespace velmar
