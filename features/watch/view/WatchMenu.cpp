#include <array>

#include "console/DeviceMenu.h"

namespace velmar {

namespace {

// The history is the watches', so every frame has a timeline, whatever it offers.
constexpr std::array kWatchMenuRows{
    MenuRow{MenuCommand::HealthTimeline, "Health timeline ...", MenuGroup::Status, nullptr}};

}  // namespace

std::span<const MenuRow> WatchMenuRows() {
    return kWatchMenuRows;
}

}  // namespace velmar
