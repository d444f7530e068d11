#pragma once

#include "device/features/FeatureContext.h"

namespace velmar {

// Sample rate, word clock, sync priorities and the sync and rate status.
class ClockUnit {
  public:
    explicit ClockUnit(FeatureContext& context);

    void SyncPriorities();
    // All 17 priorities, one ssyncprio each: the frame takes them only as a set.
    void SetSyncPriorities();

  private:
    void SyncPrioList(const CommandMessage& m);
    void SyncStat(const CommandMessage& m);

    FeatureContext& context_;
};

}  // namespace velmar
