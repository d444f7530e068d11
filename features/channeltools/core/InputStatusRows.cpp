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

// The three cells of a status of three characters: signal error, sync error, active.
std::vector<std::string> StatusCells(std::string_view status, bool redundancyMark) {
    if (status.size() < 3)
        return {std::string(kUnknownStatus), std::string(kUnknownStatus), std::string(kUnknownStatus)};
    std::string active = status[2] == 'a' ? "no" : status[2] == 'A' ? "yes" : std::string(kUnknownStatus);
    if (redundancyMark)
        active += " *";
    return {status[0] == 'E' ? "error" : "", status[1] == 'S' ? "error" : "", active};
}

std::vector<std::string> CardCells(const DeviceState& state, const InputStatusTables& inputs,
                                   InputCardType type, std::int32_t slot, std::int32_t input) {
    const std::size_t index = static_cast<std::size_t>(Info(type).inputs * (slot - 1) + input - 1);
    switch (type) {
        case InputCardType::Sdi: {
            const SdiRxStatus& sdi = inputs.sdiRxStatus[index];
            if (sdi.card == 0)
                return {std::string(kUnknownStatus), std::string(kUnknownStatus),
                        std::string(kUnknownStatus)};
            return {YesNo(sdi.values[0]), std::string(SdiFormatName(sdi.values[1])),
                    std::string(FrameRateName(sdi.values[2]))};
        }
        case InputCardType::Ad: {
            const AdSignal& ad = inputs.adSignal[index];
            if (ad.card == 0)
                return {std::string(kUnknownStatus), std::string(kUnknownStatus)};
            return {YesNo(ad.sigDet), YesNo(ad.ovlDet)};
        }
        case InputCardType::Aes:
            return StatusCells(inputs.aesInputStatus[index].status.View(), false);
        case InputCardType::Madi: {
            // inactive[] holds the SFP modules at 1 and 2, then card s port p at 2s + p.
            const bool redundant =
                state.config.cards[static_cast<std::size_t>(slot - 1)].madi.redundancyEnable != 0;
            const bool inactive = state.live.inactive[static_cast<std::size_t>(2 * slot + input - 1)] != 0;
            return StatusCells(inputs.cardIfStatus[index].status.View(), redundant && inactive);
        }
    }
    return {};
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
        rows.push_back({static_cast<std::int32_t>(i + 1), std::string(kMainInputNames[i]),
                        StatusCells(inputs.mainInputStatus[i].status.View(), mark)});
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
            rows.push_back({info.inputs * (slot - 1) + input - 1,
                            "Slot " + std::to_string(slot) + " - " + std::to_string(input),
                            CardCells(state, inputs, type, slot, input)});
        }
    }
    return rows;
}

}  // namespace velmar
