#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "features/show/core/ShowComparison.h"

namespace velmar {

class Session;

// The sections of a frame's show, in the order an apply sends them.
inline constexpr std::array<std::string_view, 8> kShowSections{"settings", "cards",     "routes", "labels",
                                                               "gains",    "detectors", "ppm",    "flows"};

// What sending one section did beyond its requests.
struct ShowSectionSent {
    std::vector<std::string> notSent;    // differences refused before they left (why, for the operator)
    std::vector<std::int32_t> readBack;  // cards whose settings are to be read back once answered
    bool restart = false;                // the network settings changed: the frame needs a restart
};

// Sends what `plan` holds for `section` through the session's units, as the section's own window
// sends it; the caller collects the requests (a RequestBatch) and waits for their answers.
ShowSectionSent SendShowSection(Session& session, const ShowComparison& plan, std::string_view section);
// Whether `plan` has anything to send for `section`.
bool ShowSectionHasRequests(const ShowComparison& plan, std::string_view section);
// Leaves out of `plan` every section not in `sections` (all when empty), so that it is neither
// shown nor sent.
void KeepShowSections(ShowComparison& plan, const std::vector<std::string>& sections);

// The undo of an apply: the frame as it was (`before`, a capture) with what the apply sets where
// the frame had nothing, written so that applying it takes those back too.
void KeepUndoable(const LiveFrame& live, const ShowComparison& plan, ShowFrame& before);

}  // namespace velmar
