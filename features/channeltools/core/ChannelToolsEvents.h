#pragma once

#include <cstdint>

namespace velmar {

// Labels of `count` consecutive channels from `first` changed in DeviceState (direction 0:
// inputs, 1: outputs). One label report gives a count of 1, a list run its run.
struct LabelsChanged {
    std::int32_t direction = 0;
    std::int32_t first = 0;
    std::int32_t count = 0;
};

// Main-board inputs 1..14 are AES 1..8, PHD 1, PHD 2, MADI, SFP 1, SFP 2, IP.
inline constexpr std::int32_t kFirstSfpInput = 12;

// The input groups the input status window lists.
enum class InputGroup : std::uint8_t { Main, Sdi, Ad, Aes, Madi };

// A signal status in DeviceState changed: one input (slot 0 for the main board), or a whole
// group when `index` is 0 (a list answer, a redundancy switch).
struct InputStatusChanged {
    InputGroup group = InputGroup::Main;
    std::int32_t slot = 0;
    std::int32_t index = 0;
};

// The gain of one channel and direction in DeviceState changed.
struct GainChanged {
    std::int32_t direction = 0;
    std::int32_t channel = 0;
};

}  // namespace velmar
