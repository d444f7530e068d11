#include "features/settings/core/HwConfigRows.h"

#include <array>

namespace velmar {

namespace {

struct Position {
    std::int32_t position;
    const char* module;
};

constexpr std::array<Position, 2> kHead{{{2, "Main board"}, {3, "Optional"}}};
constexpr std::array<Position, 4> kTail{
    {{17, "Front panel"}, {18, "Brooklyn II"}, {19, "PSU 1"}, {20, "PSU 2"}}};
constexpr std::int32_t kFirstCardPosition = 9;

HwConfigRow Row(const ConfigBlock& config, std::int32_t position, std::string module, bool alwaysShown) {
    const auto at = static_cast<std::size_t>(position - 1);
    const BoardConfig& board = config.hwConf[at];
    HwConfigRow row;
    row.position = position;
    row.module = std::move(module);
    row.present = board.boardType != 0;
    if (row.present || alwaysShown) {
        row.type = std::string(board.boardCode.View());
        row.serial = std::string(board.boardInfo.View());
        row.versions = SoftwareVersionsText(config.swVer[at]);
    }
    return row;
}

}  // namespace

std::vector<HwConfigRow> HwConfigRows(const ConfigBlock& config, HwConfigPlace place, bool cardSlots) {
    const bool window = place == HwConfigPlace::Window;
    std::vector<HwConfigRow> rows;
    for (const Position& head : kHead)
        rows.push_back(Row(config, head.position, head.module, window));
    if (window || cardSlots) {
        for (std::int32_t slot = 1; slot <= static_cast<std::int32_t>(kCardSlots); ++slot)
            rows.push_back(
                Row(config, kFirstCardPosition + slot - 1, "Card slot " + std::to_string(slot), false));
    }
    for (const Position& tail : kTail)
        rows.push_back(Row(config, tail.position, tail.module, false));
    return rows;
}

std::string SoftwareVersionsText(const SoftwareVersions& versions) {
    std::string text;
    for (std::size_t pair = 0; pair < versions.names.size(); ++pair) {
        if (versions.names[pair].Empty() || versions.versions[pair].Empty())
            break;
        if (!text.empty())
            text += " | ";
        text += std::string(versions.names[pair].View()) + ": " + std::string(versions.versions[pair].View());
    }
    return text;
}

}  // namespace velmar
