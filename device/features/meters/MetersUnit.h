#pragma once

#include "device/features/FeatureContext.h"

namespace velmar {

// Level detectors and PPM meter streams.
class MetersUnit {
  public:
    explicit MetersUnit(FeatureContext& context);

    void LevelDetectorThresholds();
    void LevelDetectorRuns(CommandCode list);  // llevdetstate or llevdetstatus
    void PpmInfo(std::uint32_t id);

  private:
    void PpmIdList(const CommandMessage& m);

    FeatureContext& context_;
};

}  // namespace velmar
