#pragma once

#include <cstdint>
#include <string>

#include "device/DeviceState.h"

namespace velmar {

// The interface a channel belongs to in the label, gain and level-detector lists, for a
// zero-based channel index: "CARD 1" ... "CARD 8", "AES", "PHD 1", ..., or empty.
std::string ChannelTypeName(std::int32_t index);

// "SOURCE-0007" for input 7, "DESTINATION-1536" for output 1536.
std::string DefaultLabel(std::int32_t direction, std::int32_t channel);

// A gain in dB with two decimals: "-12.50", "3.05", "0.00".
std::string GainText(FixedValue gain);
// A level in dB, the decimals only when there are any: "20", "-3.50", "3.05".
std::string LevelText(FixedValue level);

}  // namespace velmar
