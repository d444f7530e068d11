#pragma once

#include <span>
#include <string>

#include "features/watch/core/HealthEvents.h"

namespace velmar {

// Changes as CSV for a spreadsheet: a header, then one record per change (time in UTC as
// HealthTimeText writes it, frame, what, from, to), CRLF line ends, RFC 4180 quoting. A frame's
// texts are its own: control characters and bytes that are not UTF-8 are written as \xNN, and a
// field a spreadsheet would take for a formula (= + - @ first) is written behind a '.
std::string HealthChangesCsv(std::span<const HealthChanged> changes);
// Writes them to `path` whole or not at all; empty on success, else why not (for the operator).
std::string SaveHealthChangesCsv(const std::string& path, std::span<const HealthChanged> changes);

}  // namespace velmar
