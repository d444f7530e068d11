#pragma once

#include <cstdint>

namespace velmar {

// Where a crosspoint's new value came from.
enum class CrosspointOrigin : std::uint8_t {
    Notification,  // the frame's report of a change (made by anyone)
    GetReply,      // the answer to a gcross question
    SetReply,      // the answer to this console's scross
};

// Output `output` is now fed from `input` (0: disconnected).
struct CrosspointChanged {
    std::int32_t output = 0;
    std::int32_t input = 0;
    CrosspointOrigin origin = CrosspointOrigin::Notification;
};

// This console asked the frame to feed `output` from `input`; the answer is pending until a
// CrosspointChanged (SetReply) or CrosspointRefused for the output arrives, or the link goes.
struct CrosspointRequested {
    std::int32_t output = 0;
    std::int32_t input = 0;
};

// The frame refused this console's scross for `output`; the crosspoint is kept as it was.
struct CrosspointRefused {
    std::int32_t output = 0;
    std::int32_t input = 0;  // what was asked for
    std::int32_t status = 0;
    std::int32_t kept = 0;  // what the output is still fed from
};

// The last crosspoint run of a full read has arrived: every output is known.
struct MatrixRead {};

}  // namespace velmar
