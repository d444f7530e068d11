#pragma once

#include "sim/FrameSpec.h"
#include "sim/RecordStore.h"

namespace velmar::sim {

// The state a frame starts with and returns to on a factory clear: identity and boards from
// its description, plausible values for everything the console reads.
class FactoryState {
  public:
    static void Fill(const FrameSpec& spec, RecordStore& store);
};

}  // namespace velmar::sim
