#pragma once

#include <chrono>
#include <span>
#include <string>
#include <vector>

#include "features/watch/core/HealthEvents.h"

namespace velmar {

// What a stretch of a lane means to the operator: fine, in trouble, or not known (no value yet,
// a supply that is not fitted, or any value while the frame could not be reached).
enum class SpanState : std::uint8_t { Unknown, Ok, Fault };

struct LaneSpan {
    std::chrono::system_clock::time_point from;
    std::chrono::system_clock::time_point to;
    std::string value;  // as the operator reads it; empty while nothing is known
    SpanState state = SpanState::Unknown;
    friend bool operator==(const LaneSpan&, const LaneSpan&) = default;
};

struct HealthLane {
    std::string title;            // "Link", "Sync", "Sample rate", "PSU 1", ...
    std::vector<LaneSpan> spans;  // back to back, covering the whole range
};

struct TimeRange {
    std::chrono::system_clock::time_point from;
    std::chrono::system_clock::time_point to;
};

// One frame's recorded changes (oldest first) as lanes over `range`: link, sync (its lock, with
// the source in the value), sample rate, both supplies and each fan the frame reported. The
// changes before the range say what the values were when it begins; those at or after its end
// are not drawn. The fans' lanes appear only for fans the changes name.
std::vector<HealthLane> BuildHealthLanes(std::span<const HealthChanged> changes, TimeRange range);

}  // namespace velmar
