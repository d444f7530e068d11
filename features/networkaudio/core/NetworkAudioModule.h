#pragma once

#include "device/features/FrameFacts.h"

namespace velmar {

// A frame has IP flows and automatic IP routing with a matrix, in application mode, with a Dante
// module and software 1.2.0.2 on: the device menu and velmar-cli ask this one rule.
GateReason NetworkAudioGate(const FrameFacts& frame);

}  // namespace velmar
