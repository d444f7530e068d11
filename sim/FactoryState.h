#pragma once

#include "sim/FrameDescription.h"
#include "sim/RecordStore.h"

namespace velmar::sim {

// The state a frame starts with and returns to on a factory clear: identity and boards from
// its description, plausible values for everything the console reads.
class FactoryState {
  public:
    static void Fill(const FrameDescription& description, RecordStore& store);
    // One record as it left the factory: what a DHCP server hands the frame is the network
    // setting it was made with.
    static CommandMessage Record(const FrameDescription& description, const RecordKey& key);
};

}  // namespace velmar::sim
