#pragma once

#include <array>
#include <cstdint>

#include "protocol/CommandTable.h"

namespace velmar::sim {

// The lasting faults of one frame, switched on and off from the control channel. One-off
// faults (closing connections, a run-on burst) are carried out at once and not kept here.
struct FaultSet {
    bool silent = false;      // reads and drops everything, answers nothing, keeps TCP open
    bool refuse = false;      // listeners closed: new connections are refused
    bool garbage = false;     // random bytes before every line sent
    bool split = false;       // every byte sent in a TCP segment of its own
    bool ignoreSets = false;  // answers reads, never a set word (the set does nothing)
    std::int64_t delayMs = 0;
    int progStallAfter = -1;  // firmware records acknowledged in a run before the frame goes quiet
    int progErrorAt = 0;      // the firmware record of a run answered with a write error (0: none)
    std::array<std::int32_t, kCommandCount> status{};  // non-zero: the word is answered with it
    // Non-zero: the word is answered that many times less one, then dropped unanswered, as by a
    // frame that goes quiet in the middle of a run of requests.
    std::array<std::int32_t, kCommandCount> muteAfter{};

    bool Any() const {
        if (silent || refuse || garbage || split || ignoreSets || delayMs > 0 || progStallAfter >= 0 ||
            progErrorAt > 0)
            return true;
        for (std::size_t code = 0; code < kCommandCount; ++code) {
            if (status[code] != 0 || muteAfter[code] != 0)
                return true;
        }
        return false;
    }
};

}  // namespace velmar::sim
