#include <array>

#include "console/DeviceMenu.h"
#include "features/leveldetectors/core/LevelDetectorModule.h"

namespace velmar {

namespace {

constexpr std::array kLevelDetectorMenuRows{MenuRow{MenuCommand::LevelDetectors, "Level detectors ...",
                                                    MenuGroup::Meters, LevelDetectorGate,
                                                    MenuRow::Option::Zel}};

}  // namespace

std::span<const MenuRow> LevelDetectorsMenuRows() {
    return kLevelDetectorMenuRows;
}

}  // namespace velmar
