#pragma once

#include "device/features/FrameFacts.h"

namespace velmar {

// The gates of the features whose parts still live in the shared folders (each moves to its
// feature's folder with the feature). Every one also holds the channel tools' gate.
GateReason LabelsGate(const FrameFacts& frame);  // software after 1.4.0.1
GateReason GainsGate(const FrameFacts& frame);   // labels' gate and the gain feature bit

}  // namespace velmar
