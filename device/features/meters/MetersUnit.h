#pragma once

#include "device/features/FeatureContext.h"

namespace velmar {

// Level detectors.
class MetersUnit {
  public:
    explicit MetersUnit(FeatureContext& context);

    void LevelDetectorThresholds();
    void LevelDetectorRuns(CommandCode list);  // llevdetstate or llevdetstatus

  private:
    FeatureContext& context_;
};

}  // namespace velmar
