#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "device/DeviceState.h"
#include "device/FrameCapabilities.h"
#include "features/channeltools/core/ChannelToolsState.h"

namespace velmar {

// The card kinds the input status lists, as its radio buttons offer them.
enum class InputCardType : std::uint8_t { Sdi, Ad, Aes, Madi };

// One row of an input status list: its item value, its name and the cells after the name, and
// for each cell whether it tells of a fault (an error, no lock, an overload, an invalid format).
struct InputStatusRow {
    std::int32_t item = 0;
    std::string name;
    std::vector<std::string> cells;
    std::vector<bool> faults;
    friend bool operator==(const InputStatusRow&, const InputStatusRow&) = default;
};

// What a cell shows for an input the frame has not reported (or reported in a form it does not
// know): never a guess.
inline constexpr std::string_view kUnknownStatus = "unknown";

std::vector<std::string> MainBoardColumns();
std::vector<std::string> CardColumns(InputCardType type);
// The fourteen main-board inputs, from their reports and the frame image's redundancy.
std::vector<InputStatusRow> MainBoardRows(const DeviceState& state, const InputStatusTables& inputs);
// The inputs of every card of `type`, in slot order; none on a frame without cards.
std::vector<InputStatusRow> CardRows(const DeviceState& state, const InputStatusTables& inputs,
                                     InputCardType type, ModelClass model);

std::string_view SdiFormatName(std::int32_t format);
std::string_view FrameRateName(std::int32_t rate);

}  // namespace velmar
