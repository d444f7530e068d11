#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmar {

// What an alarm of the rack is about; each kind is on or off per rack.
enum class AlarmKind : std::uint8_t { Link, Power, Fan, Sync, SampleRate, LevelDetector };
inline constexpr std::size_t kAlarmKinds = 6;
inline constexpr std::array<AlarmKind, kAlarmKinds> kAllAlarmKinds{
    AlarmKind::Link, AlarmKind::Power,      AlarmKind::Fan,
    AlarmKind::Sync, AlarmKind::SampleRate, AlarmKind::LevelDetector};

// The kind's key in the profile and its words in the settings.
inline std::string_view AlarmKindKey(AlarmKind kind) {
    constexpr std::array<std::string_view, kAlarmKinds> keys{"link", "power",       "fan",
                                                             "sync", "sample-rate", "level-detector"};
    return keys[static_cast<std::size_t>(kind)];
}
inline std::string_view AlarmKindTitle(AlarmKind kind) {
    constexpr std::array<std::string_view, kAlarmKinds> titles{
        "Link lost",           "Power supply fault",    "Fan fault", "Sync lost or source changed",
        "Sample rate changed", "Level detector tripped"};
    return titles[static_cast<std::size_t>(kind)];
}

// One alarm of a watched frame. A condition alarm (a supply at fault) is active until the frame
// reports it gone; a moment's alarm (the sample rate moved) is never active. Either stays open
// until the operator acknowledges it.
struct Alarm {
    std::uint64_t id = 0;
    std::string frame;  // the address it is watched on
    AlarmKind kind = AlarmKind::Link;
    std::string what;  // the health item that raised it ("psu2")
    std::string text;  // "PSU 2 fault"
    std::chrono::system_clock::time_point raised{};
    bool active = false;
    bool acknowledged = false;
    std::optional<std::chrono::system_clock::time_point> cleared;
    // How often it was raised before the operator saw it.
    std::uint32_t times = 1;
};

// Published on the rack's hub by the alarm book.
struct AlarmRaised {
    Alarm alarm;
};
struct AlarmCleared {
    Alarm alarm;
};
struct AlarmAcknowledged {
    Alarm alarm;
};

}  // namespace velmar
