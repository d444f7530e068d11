#pragma once

#include "device/features/FeatureContext.h"
#include "features/leveldetectors/core/LevelDetectorState.h"

namespace velmar {

// The level detectors of every channel: thresholds, enable and status, read and set.
class LevelDetectorUnit {
  public:
    explicit LevelDetectorUnit(FeatureContext& context);

    void LevelDetectorThresholds();
    void LevelDetectorRuns(CommandCode list);  // llevdetstate or llevdetstatus
    void LevelDetectorStatus(std::int32_t direction, std::int32_t channel);
    // Thresholds, enable and status of one detector.
    void ReadLevelDetector(std::int32_t direction, std::int32_t channel);
    // Nothing leaves for a channel outside 1..channel count.
    void SetLevelDetectorThresholds(std::int32_t direction, std::int32_t channel,
                                    const DetectorThresholds& thresholds);
    void SetLevelDetectorState(std::int32_t direction, std::int32_t channel, bool enabled);

    // The records of the two set requests, for sending and for showing what would be sent.
    static CommandMessage ThresholdsRequest(std::int32_t direction, std::int32_t channel,
                                            const DetectorThresholds& thresholds);
    static CommandMessage StateRequest(std::int32_t direction, std::int32_t channel, bool enabled);

    // What the frame last reported, zero after a connect.
    const LevelDetectorTables& Detectors() const { return detectors_; }
    const LevelDetector& Stored(std::int32_t direction, std::int32_t channel) const {
        return detectors_[static_cast<std::size_t>(direction)][static_cast<std::size_t>(channel - 1)];
    }
    void Reset() { detectors_ = {}; }

  private:
    void Thresholds(const CommandMessage& m);
    void Value(const CommandMessage& m, std::int32_t LevelDetector::*value);
    void ValueList(const CommandMessage& m, std::int32_t LevelDetector::*value);
    LevelDetector* Detector(std::int32_t direction, std::int32_t channel);

    FeatureContext& context_;
    LevelDetectorTables detectors_{};
};

}  // namespace velmar
