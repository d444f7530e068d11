#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "device/EventHub.h"
#include "features/watch/core/AlarmEvents.h"
#include "features/watch/core/HealthEvents.h"

namespace velmar {

// The rack's alarm rules and its open alarms. It hears every HealthChanged on the rack's hub and
// raises an alarm when a link that was up is lost, a supply or fan turns faulty, the sync is
// lost or its source moves, the sample rate moves, or a level detector trips; conditions are
// cleared when the frame reports them gone. Each is published on the same hub.
class AlarmBook {
  public:
    explicit AlarmBook(EventHub& rack);

    void Enable(AlarmKind kind, bool on) { enabled_[static_cast<std::size_t>(kind)] = on; }
    bool Enabled(AlarmKind kind) const { return enabled_[static_cast<std::size_t>(kind)]; }

    // The operator has seen it: it is no longer open (a condition still present is not raised
    // again until it has cleared).
    void Acknowledge(std::uint64_t id);
    void AcknowledgeFrame(std::string_view frame);
    // The frame is no longer watched: its alarms go, unsaid.
    void Forget(std::string_view frame);

    // The frame's open alarms, oldest first.
    std::vector<Alarm> Open(std::string_view frame) const;
    std::size_t OpenCount(std::string_view frame) const;

  private:
    void OnChange(const HealthChanged& change);
    void Raise(const HealthChanged& change, AlarmKind kind, std::string text, bool condition);
    void Clear(const HealthChanged& change);

    EventHub& rack_;
    std::array<bool, kAlarmKinds> enabled_{true, true, true, true, true, true};
    // Open alarms, and acknowledged ones whose condition is still present.
    std::vector<Alarm> alarms_;
    std::uint64_t nextId_ = 1;
    Subscription hearing_;
};

}  // namespace velmar
