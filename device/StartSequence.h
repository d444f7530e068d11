#pragma once

#include <cstdint>
#include <span>

#include "device/features/FeatureModule.h"
#include "protocol/CommandTable.h"

namespace velmar {

class Session;

// Which start a connection makes: a frame with a matrix in application mode or mode 2 is read
// whole; one in recovery only for its network and main board; one without a matrix for its
// identity and network; a watch only for its identity and health.
enum class StartKind : std::uint8_t { Full = 1, Recovery = 2, NoMatrix = 4, Health = 8 };

// One row of the start sequence or of the state poll: the feature whose word it is, the word,
// the starts it belongs to, and how it is sent (a row may send its word for several keys).
struct StartStep {
    FeatureId module;
    CommandCode word;
    std::uint8_t kinds;  // StartKind bits
    void (*send)(Session& session, StartKind kind);
    // Only a Dante module answers it: a frame whose boards are not known yet is asked once they
    // say a module is fitted, a frame without one never.
    bool danteModule = false;
};

// The start sequence in wire order: the frame reads it in this order, features interleaved.
std::span<const StartStep> StartSequenceSteps();
// The state poll of a frame with a matrix, in wire order.
std::span<const StartStep> StatePollSteps();
// The card-settings reads of every slot, which follow the start once the boards are known.
void RequestCardSettings(Session& session);

}  // namespace velmar
