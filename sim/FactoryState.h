#pragma once

#include "sim/FrameDescription.h"
#include "sim/RecordStore.h"

namespace velmar::sim {

// The state a frame starts with and returns to on a factory clear: identity and boards from
// its description, plausible values for everything the console reads.
class FactoryState {
  public:
    static void Fill(const FrameDescription& description, RecordStore& store);
};

}  // namespace velmar::sim
