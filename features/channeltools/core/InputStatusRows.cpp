#include "features/channeltools/core/InputStatusRows.h"

#include <array>

#include "device/DeviceModel.h"
#include "features/channeltools/core/ChannelToolsState.h"

namespace velmar {

namespace {

constexpr std::array<std::string_view, 14> kMainInputNames{
    "AES 1", "AES 2", "AES 3", "AES 4", "AES 5", "AES 6", "AES 7",
    "AES 8", "PHD 1", "PHD 2", "MADI",  "SFP 1", "SFP 2", "IP",
};
constexpr std::array<std::string_view, 4> kSdiFormats{"invalid", "SD SDI", "HD SDI", "3G SDI"};
constexpr std::array<std::string_view, 8> kFrameRates{"23.98 Hz", "24 Hz", "25 Hz",    "29.97 Hz",
                                                      "30 Hz",    "50 Hz", "59.94 Hz", "60 Hz"};
constexpr std::size_t kFirstSfp = 11;  // index of "SFP 1"

struct CardTypeInfo {
    InputCardType type;
    CardType kind;
    std::int32_t inputs;  // rows per slot
    std::array<std::string_view, 3> columns;
};

constexpr std::array<CardTypeInfo, 4> kCardTypes{{
    {InputCardType::Sdi, CardType::Sdi, 2, {"Locked", "Format", "Frame rate"}},
    {InputCardType::Ad, CardType::Ad, 8, {"Signal", "Overload", ""}},
    {InputCardType::Aes, CardType::Aes, 8, {"Signal error", "Sync error", "Active"}},
    {InputCardType::Madi, CardType::MadiHotlink, 2, {"Signal error", "Sync error", "Active"}},
}};

const CardTypeInfo& Info(InputCardType type) {
    return kCardTypes[static_cast<std::size_t>(type)];
}

std::string YesNo(std::int32_t flag) {
    return flag != 0 ? "yes" : "no";
}

void Add(InputStatusRow& row, std::string_view text, bool fault = false) {
    row.cells.emplace_back(text);
    row.faults.push_back(fault);
}

void AddUnknown(InputStatusRow& row, int cells) {
    for (int i = 0; i < cells; ++i)
        Add(row, kUnknownStatus);
}

// The three cells of a status of three characters: signal error, sync error, active. An input
// held inactive by redundancy is no fault.
void AddStatusCells(InputStatusRow& row, std::string_view status, bool redundancyMark) {
    if (status.size() < 3) {
        AddUnknown(row, 3);
        return;
    }
    std::string active = status[2] == 'a' ? "no" : status[2] == 'A' ? "yes" : std::string(kUnknownStatus);
    if (redundancyMark)
        active += " *";
    Add(row, status[0] == 'E' ? "error" : "", status[0] == 'E');
    Add(row, status[1] == 'S' ? "error" : "", status[1] == 'S');
    Add(row, active);
}

void AddCardCells(InputStatusRow& row, const DeviceState& state, const InputStatusTables& inputs,
                  InputCardType type, std::int32_t slot, std::int32_t input) {
    const std::size_t index = static_cast<std::size_t>(Info(type).inputs * (slot - 1) + input - 1);
    switch (type) {
        case InputCardType::Sdi: {
            const SdiRxStatus& sdi = inputs.sdiRxStatus[index];
            if (sdi.card == 0) {
                AddUnknown(row, 3);
                return;
            }
            const auto known = [](std::int32_t value, std::size_t count) {
                return value >= 0 && value < static_cast<std::int32_t>(count);
            };
            Add(row, YesNo(sdi.values[0]), sdi.values[0] == 0);
            // Format 0 is the frame's own word for a signal it cannot read.
            Add(row, SdiFormatName(sdi.values[1]),
                !known(sdi.values[1], kSdiFormats.size()) || sdi.values[1] == 0);
            Add(row, FrameRateName(sdi.values[2]), !known(sdi.values[2], kFrameRates.size()));
            return;
        }
        case InputCardType::Ad: {
            const AdSignal& ad = inputs.adSignal[index];
            if (ad.card == 0) {
                AddUnknown(row, 2);
                return;
            }
            Add(row, YesNo(ad.sigDet));
            Add(row, YesNo(ad.ovlDet), ad.ovlDet != 0);
            return;
        }
        case InputCardType::Aes:
            AddStatusCells(row, inputs.aesInputStatus[index].status.View(), false);
            return;
        case InputCardType::Madi: {
            // inactive[] holds the SFP modules at 1 and 2, then card s port p at 2s + p.
            const bool redundant =
                state.config.cards[static_cast<std::size_t>(slot - 1)].madi.redundancyEnable != 0;
            const bool inactive = state.live.inactive[static_cast<std::size_t>(2 * slot + input - 1)] != 0;
            AddStatusCells(row, inputs.cardIfStatus[index].status.View(), redundant && inactive);
            return;
        }
    }
}

}  // namespace

std::string_view SdiFormatName(std::int32_t format) {
    return format >= 0 && format < static_cast<std::int32_t>(kSdiFormats.size())
               ? kSdiFormats[static_cast<std::size_t>(format)]
               : "error";
}

std::string_view FrameRateName(std::int32_t rate) {
    return rate >= 0 && rate < static_cast<std::int32_t>(kFrameRates.size())
               ? kFrameRates[static_cast<std::size_t>(rate)]
               : "error";
}

std::vector<std::string> MainBoardColumns() {
    return {"Input", "Signal error", "Sync error", "Active"};
}

std::vector<std::string> CardColumns(InputCardType type) {
    std::vector<std::string> columns{"Input"};
    for (std::string_view column : Info(type).columns) {
        if (!column.empty())
            columns.emplace_back(column);
    }
    return columns;
}

std::vector<InputStatusRow> MainBoardRows(const DeviceState& state, const InputStatusTables& inputs) {
    std::vector<InputStatusRow> rows;
    for (std::size_t i = 0; i < kMainInputNames.size(); ++i) {
        const bool sfp = i == kFirstSfp || i == kFirstSfp + 1;
        const bool mark =
            sfp && state.config.redundancyEnable != 0 && state.live.inactive[i - kFirstSfp] != 0;
        InputStatusRow& row = rows.emplace_back();
        row.item = static_cast<std::int32_t>(i + 1);
        row.name = kMainInputNames[i];
        AddStatusCells(row, inputs.mainInputStatus[i].status.View(), mark);
    }
    return rows;
}

std::vector<InputStatusRow> CardRows(const DeviceState& state, const InputStatusTables& inputs,
                                     InputCardType type, ModelClass model) {
    std::vector<InputStatusRow> rows;
    if (model == ModelClass::NoCards)
        return rows;
    const CardTypeInfo& info = Info(type);
    for (std::int32_t slot = 1; slot <= static_cast<std::int32_t>(kCardSlots); ++slot) {
        if (CardKind(state, slot) != info.kind)
            continue;
        for (std::int32_t input = 1; input <= info.inputs; ++input) {
            InputStatusRow& row = rows.emplace_back();
            row.item = info.inputs * (slot - 1) + input - 1;
            row.name = "Slot " + std::to_string(slot) + " - " + std::to_string(input);
            AddCardCells(row, state, inputs, type, slot, input);
        }
    }
    return rows;
}

}  // namespace velmar
