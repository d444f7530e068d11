#include "features/settings/core/SettingRanges.h"

#include <algorithm>
#include <array>
#include <vector>

namespace velmar {

namespace {

constexpr std::array<SyncSource, 18> kSources{{
    {1, "Internal"},
    {2, "Word clock"},
    {3, "AES11"},
    {4, "Video clock"},
    {5, "AES Input 1"},
    {6, "AES Input 2"},
    {7, "AES Input 3"},
    {8, "AES Input 4"},
    {9, "AES Input 5"},
    {10, "AES Input 6"},
    {11, "AES Input 7"},
    {12, "AES Input 8"},
    {13, "PHD 1"},
    {14, "PHD 2"},
    {15, "Madi coax"},
    {16, "SFP 1"},
    {17, "SFP 2"},
    {18, "IP"},
}};

constexpr std::array<SettingChoice, 10> kSampleRates{{
    {"44.1 kHz", 1},
    {"48 kHz", 2},
    {"88.2 kHz", 3},
    {"96 kHz", 4},
    {"176.4 kHz", 5},
    {"192 kHz", 6},
    {"DXD 352.8 kHz", 7},
    {"384 kHz", 8},
    {"DSD 64 x fs", 9},
    {"DSD 128 x fs", 10},
}};

// Word clock and video clock cannot be followed by sample rate conversion.
std::vector<SettingChoice> AdaptionSources() {
    std::vector<SettingChoice> choices;
    for (const SyncSource& source : kSources) {
        if (source.number != 2 && source.number != 4)
            choices.push_back({source.name, source.number});
    }
    return choices;
}

constexpr std::array<SettingChoice, 2> kWordClock{{{"Base (44.1 or 48 kHz)", 0}, {"Sample rate", 1}}};
constexpr std::array<SettingChoice, 2> kChannelStatus{{{"Transparent", 0}, {"Default", 1}}};
constexpr std::array<SettingChoice, 2> kMadiInput{{{"Auto", 0}, {"As internal", 1}}};
constexpr std::array<SettingChoice, 2> kFrameRate{{{"High", 0}, {"Legacy", 1}}};
constexpr std::array<SettingChoice, 2> kChannelCount{{{"56 ch", 0}, {"64 ch", 1}}};
constexpr std::array<SettingChoice, 2> kDsdMode{{{"Native", 0}, {"DSD over PCM", 1}}};
constexpr std::array<SettingChoice, 2> kPortConfig{{{"Primary and expansion", 0}, {"2 x Primary", 1}}};
constexpr std::array<SettingChoice, 2> kEmulation{{{"2 x HDIO", 0}, {"HD MADI", 1}}};
constexpr std::array<SettingChoice, 2> kExpansionEmulation{{{"HDIO", 0}, {"HD MADI", 1}}};
constexpr std::array<SettingChoice, 3> kSfpInterface{{{"Disabled", 0}, {"Madi", 1}, {"Hotlink", 2}}};
constexpr std::array<SettingChoice, 2> kSfpRedundancy{{{"Disabled", 0}, {"Enabled", 1}}};
constexpr std::array<SettingChoice, 3> kSfpRedundancyMode{
    {{"Automatic", 0}, {"SFP 1 active", 1}, {"SFP 2 active", 2}}};
constexpr std::array<SettingChoice, 2> kHotlinkMode{{{"Internal", 0}, {"External", 1}}};
constexpr std::array<SettingChoice, 2> kDanteRedundancy{{{"Switched", 0}, {"Redundant", 1}}};

template <std::size_t N>
SettingRange Listed(const std::array<SettingChoice, N>& choices) {
    return {choices.front().value, choices.back().value, choices};
}

std::vector<SettingRange> MakeRanges() {
    static const std::vector<SettingChoice> adaption = AdaptionSources();
    // In the order of Setting.
    return {
        {0, 99, {}},
        {0, 64, {}},
        {0, 300, {}},
        Listed(kSampleRates),
        {1, 18, adaption},
        Listed(kWordClock),
        Listed(kChannelStatus),
        Listed(kMadiInput),
        Listed(kFrameRate),
        Listed(kChannelCount),
        Listed(kDsdMode),
        Listed(kPortConfig),
        Listed(kEmulation),
        Listed(kExpansionEmulation),
        {0, 1, {}},
        Listed(kSfpInterface),
        Listed(kSfpRedundancy),
        Listed(kSfpRedundancyMode),
        Listed(kHotlinkMode),
        Listed(kDanteRedundancy),
        {0, 31, {}},
    };
}

}  // namespace

bool SettingRange::Allows(std::int32_t value) const {
    if (choices.empty())
        return value >= min && value <= max;
    return std::any_of(choices.begin(), choices.end(),
                       [value](const SettingChoice& choice) { return choice.value == value; });
}

const SettingRange& RangeOf(Setting setting) {
    static const std::vector<SettingRange> ranges = MakeRanges();
    return ranges[static_cast<std::size_t>(setting)];
}

std::span<const SyncSource> SyncSources() {
    return kSources;
}

bool HasPriorityRow(std::int32_t source) {
    return source >= 2 && source != 13 && source != 14;
}

}  // namespace velmar
