#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace velmar {

// One value a setting's list offers, with the text the editor shows for it.
struct SettingChoice {
    std::string_view text;
    std::int32_t value;
};

// The values one setting takes: the numbers min to max, or, where it is chosen from a list, only
// the list's values. The editor's pages and the settings file both take their limits from here.
struct SettingRange {
    std::int32_t min = 0;
    std::int32_t max = 0;
    std::span<const SettingChoice> choices;  // empty: any number from min to max

    bool Allows(std::int32_t value) const;
};

enum class Setting : std::uint8_t {
    DeviceId,
    SystemDelay,
    AliveTime,
    SampleRate,
    AdaptionSource,
    WordClockOutput,
    ChannelStatus,
    MadiInput,
    FrameRate,
    ChannelCount,
    DsdMode,
    PhdPortConfig,
    PhdEmulation,           // port 2, and port 1 with two primary ports
    PhdExpansionEmulation,  // port 1 beside the expansion port
    Flag,                   // 0 or 1: DHCP, termination, sample rate control
    SfpInterface,
    SfpRedundancy,
    SfpRedundancyMode,
    HotlinkMode,
    DanteRedundancy,
    SyncPriority,
};

const SettingRange& RangeOf(Setting setting);

// A clock source by its wire number: 1 is the internal clock, 2 to 18 the external sources whose
// priority sits at number - 2.
struct SyncSource {
    std::int32_t number;
    std::string_view name;
};
std::span<const SyncSource> SyncSources();
// The sources the editor lists priorities for: PHD 1 and PHD 2 keep theirs as the frame has them.
bool HasPriorityRow(std::int32_t source);

}  // namespace velmar
