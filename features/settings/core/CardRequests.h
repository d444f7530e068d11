#pragma once

#include <cstdint>
#include <vector>

#include "device/DeviceState.h"
#include "protocol/CommandTable.h"

namespace velmar {

class RequestWriter;

// One card set request: the word and the entry it addresses (1-based; 0 where the word names none).
struct CardRequest {
    CommandCode set = CommandCode::error;
    std::int32_t card = 0;
    std::int32_t index = 0;  // channel or port
    std::int32_t group = 0;  // SDI audio group
    friend bool operator==(const CardRequest&, const CardRequest&) = default;
};

struct CardApplyPlan {
    std::vector<CardRequest> requests;  // slot order, then the card kind's own order
    bool changed = false;               // a card of a known kind differs, sent or not
};

// The card requests that take the frame from `old` (the frame image) to `edited`, for slots 1 to
// 8 in order, each only for a field that differs. A slot whose card the page would not edit in
// both (not fitted, not known, or another kind than the editor saw) gets nothing.
CardApplyPlan PlanCardRequests(const ConfigBlock& old, const ConfigBlock& edited);

struct CardApplyOutcome {
    bool changed = false;
    std::size_t requestsSent = 0;
    std::vector<std::int32_t> cards;  // the cards that were written to: read them back
};

// The card step of applying the settings editor's edits: for every card the operator changed
// (`opened` against `edited`) that the frame still holds as the editor saw it, the changed fields
// are sent from the edited card. A card that left its slot or was swapped while the editor was
// open is left alone: nothing is sent for it.
CardApplyOutcome ApplyCardSettings(const ConfigBlock& opened, const ConfigBlock& edited,
                                   const ConfigBlock& frame, RequestWriter& requests);

}  // namespace velmar
