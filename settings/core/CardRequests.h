#pragma once

#include <cstdint>
#include <vector>

#include "device/DeviceState.h"
#include "protocol/CommandTable.h"

namespace velmar {

class InterfacesUnit;

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

// Sends the plan with values from the frame image (which must already hold the edited cards),
// then reads every card it changed back, so that the image shows what the frame took.
void SendCardPlan(InterfacesUnit& interfaces, const CardApplyPlan& plan);

}  // namespace velmar
