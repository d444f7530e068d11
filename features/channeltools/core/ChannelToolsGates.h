#pragma once

#include "device/features/FrameFacts.h"

namespace velmar {

// Both also hold the channel tools' gate.
GateReason LabelsGate(const FrameFacts& frame);  // software after 1.4.0.1
GateReason GainsGate(const FrameFacts& frame);   // labels' gate and the gain feature bit

}  // namespace velmar
