#pragma once

#include "device/features/FrameFacts.h"

namespace velmar {

// A frame has PPM streams with a matrix, in application mode, with a Dante module and the
// level-meter feature bit: the device menu and velmar-cli ask this one rule.
GateReason PpmGate(const FrameFacts& frame);

}  // namespace velmar
