#include <array>

#include "console/DeviceMenu.h"
#include "features/ppm/core/PpmModule.h"

namespace velmar {

namespace {

constexpr std::array kPpmMenuRows{
    MenuRow{MenuCommand::PpmStreams, "PPM streams ...", MenuGroup::Meters, PpmGate, MenuRow::Option::Zel}};

}  // namespace

std::span<const MenuRow> PpmMenuRows() {
    return kPpmMenuRows;
}

}  // namespace velmar
