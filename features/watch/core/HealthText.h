#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "features/watch/core/HealthEvents.h"

namespace velmar {

// A change's time as people and scripts read it: UTC, ISO 8601, to the millisecond
// ("2026-12-08T06:01:02.125Z").
std::string HealthTimeText(std::chrono::system_clock::time_point time);
// A time given back to us: the form above (the fraction and the Z optional), a date alone
// (midnight UTC), or a span back from `now` ("90s", "15m", "2h", "7d"). Nothing else.
std::optional<std::chrono::system_clock::time_point> ParseHealthTime(
    std::string_view text, std::chrono::system_clock::time_point now);

// "2026-12-08T06:01:02.125Z 127.0.0.2 psu2 ok -> fault" (no "from ->" the first time), safe for
// a terminal whatever the frame's name holds.
std::string HealthChangeLine(const HealthChanged& change);
// One JSON object on one line: time, frame, what, from (null the first time), to.
std::string HealthChangeJson(const HealthChanged& change);

}  // namespace velmar
