#pragma once

#include <array>
#include <cstdint>

#include "protocol/CommandTable.h"

namespace velmar::sim {

// The lasting faults of one frame, switched on and off from the control channel. One-off
// faults (closing connections, a run-on burst) are carried out at once and not kept here.
struct FaultSet {
    bool silent = false;   // reads and drops everything, answers nothing, keeps TCP open
    bool refuse = false;   // listeners closed: new connections are refused
    bool garbage = false;  // random bytes before every line sent
    bool split = false;    // every byte sent in a TCP segment of its own
    std::int64_t delayMs = 0;
    int progStallAfter = -1;  // firmware records acknowledged in a run before the frame goes quiet
    int progErrorAt = 0;      // the firmware record of a run answered with a write error (0: none)
    std::array<std::int32_t, kCommandCount> status{};  // non-zero: the word is answered with it

    bool Any() const {
        if (silent || refuse || garbage || split || delayMs > 0 || progStallAfter >= 0 || progErrorAt > 0)
            return true;
        for (const std::int32_t s : status) {
            if (s != 0)
                return true;
        }
        return false;
    }
};

}  // namespace velmar::sim
