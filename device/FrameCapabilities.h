#pragma once

#include <cstdint>

namespace velmar {

// What a frame's type says about it. The numbers are those of the device list and the CLI's
// --type option.
enum class ModelClass : std::int32_t {
    Full = 0,      // K5A, LV16: matrix with cards and SFP modules
    NoCards = 1,   // K5B, LW16: matrix without cards or SFP modules
    NoMatrix = 2,  // K5E: no matrix, no channel tools
};

// What the connected frame offers, worked out from its type, boards and software once, when
// they arrive, instead of at every place that needs to know.
struct FrameCapabilities {
    ModelClass model = ModelClass::NoCards;
    bool matrix = true;
    bool cards = false;
    bool optionalModule = false;  // an SFP module is fitted
    bool dante = false;           // a Dante module is fitted
    std::int32_t channels = 1024;
    friend bool operator==(const FrameCapabilities&, const FrameCapabilities&) = default;
};

}  // namespace velmar
