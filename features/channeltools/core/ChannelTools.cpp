#include "features/channeltools/core/ChannelTools.h"

#include <array>
#include <cstdio>
#include <string_view>

namespace velmar {

namespace {

struct TypeRange {
    std::int32_t first;
    std::int32_t last;
    std::string_view name;
};

constexpr std::array<TypeRange, 8> kFixedInterfaces{{
    {512, 527, "AES"},
    {528, 559, "PHD 1"},
    {560, 591, "PHD 2"},
    {592, 655, "MADI"},
    {656, 783, "SFP 1"},
    {784, 911, "SFP 2"},
    {912, 975, "IP"},
    {976, 1007, "SUM"},
}};

std::string Fixed(FixedValue value, bool alwaysDecimals) {
    std::string text = value.negative ? "-" : "";
    text += std::to_string(value.whole);
    if (alwaysDecimals || value.hundredths != 0) {
        std::array<char, 8> decimals{};
        std::snprintf(decimals.data(), decimals.size(), ".%02u",
                      static_cast<unsigned>(value.hundredths % 100));
        text += decimals.data();
    }
    return text;
}

}  // namespace

std::string ChannelTypeName(std::int32_t index) {
    if (index >= 0 && index < 512)
        return "CARD " + std::to_string(index / 64 + 1);
    if (index >= 1024 && index < 1536)
        return "CARD " + std::to_string((index - 1024) / 64 + 1);
    for (const TypeRange& range : kFixedInterfaces) {
        if (index >= range.first && index <= range.last)
            return std::string(range.name);
    }
    return {};
}

std::string DefaultLabel(std::int32_t direction, std::int32_t channel) {
    std::array<char, 8> digits{};
    std::snprintf(digits.data(), digits.size(), "%04d", channel);
    return (direction == 0 ? "SOURCE-" : "DESTINATION-") + std::string(digits.data());
}

std::string GainText(FixedValue gain) {
    return Fixed(gain, true);
}

std::string LevelText(FixedValue level) {
    return Fixed(level, false);
}

}  // namespace velmar
