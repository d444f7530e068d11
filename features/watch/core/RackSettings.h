#pragma once

#include <array>
#include <chrono>
#include <set>
#include <string>

#include "device/discovery/ProfileStore.h"
#include "features/watch/core/AlarmEvents.h"

namespace velmar {

// What the operator chose for the rack, kept in the profile (section "Rack"): watch every
// discovered frame or only the ticked ones, which alarms are on, and how long history is kept.
struct RackSettings {
    static constexpr int kDefaultKeepDays = 30;
    static constexpr int kMaxKeepDays = 36500;

    bool watchAll = true;
    // Addresses of the ticked frames, in whatever mode they run.
    std::set<std::string> ticked;
    std::array<bool, kAlarmKinds> alarms{true, true, true, true, true, true};
    int keepDays = kDefaultKeepDays;

    // What is missing or unreadable in the profile keeps its default.
    static RackSettings Load(const ProfileStore& profile);
    // False when the profile did not take every value.
    bool Save(ProfileStore& profile) const;

    bool Alarm(AlarmKind kind) const { return alarms[static_cast<std::size_t>(kind)]; }
    std::chrono::hours Keep() const { return std::chrono::hours(24 * keepDays); }
};

}  // namespace velmar
