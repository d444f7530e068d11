#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "device/DeviceState.h"

namespace velmar {

// One row of the hardware configuration view. Texts are the frame's own 8-bit texts.
struct HwConfigRow {
    std::int32_t position = 0;  // board position 1..20
    std::string module;         // "Main board", "Card slot 3" ...
    std::string type;           // board code: type and version
    std::string serial;         // board info
    std::string versions;       // "name: version | name: version"
    bool present = false;       // the frame reports a board in this position
};

// Where the rows are shown: the device-menu window lists every card slot and always shows the
// main board's and the optional module's texts; the editor page lists card slots only on a
// frame that has them and shows texts only for boards that are present.
enum class HwConfigPlace : std::uint8_t { Window, EditorPage };

std::vector<HwConfigRow> HwConfigRows(const ConfigBlock& config, HwConfigPlace place, bool cardSlots);

// The software versions of one board: pairs "name: version" joined by " | ", up to the first
// pair with an empty name or version.
std::string SoftwareVersionsText(const SoftwareVersions& versions);

}  // namespace velmar
