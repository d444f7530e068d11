#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "features/leveldetectors/core/LevelDetectorState.h"

namespace velmar {

// A level travels as a 16-bit magnitude: anything larger would wrap on the wire.
inline constexpr std::int32_t kMaxLevelDb = 32767;

// "-3.5" -> negative, 3, 50 hundredths; at most two decimals and |level| <= kMaxLevelDb.
std::optional<FixedValue> ParseLevel(std::string_view text);
// The input's first threshold may be longer than the others, but a frame's answer carries at most
// five digits: a longer time could be sent and never read back, and a send-what-differs rule
// would send it again on every Apply.
inline constexpr std::int32_t kMaxReadableTimeMs = 99999;

// "time 1, level 1, time 2, level 2, state, status" as a detector list cell.
std::string DetectorText(const LevelDetector& detector);

// The columns of one direction of a detector in the window's list, in this order.
enum class DetectorColumn : std::uint8_t { Time1, Level1, Time2, Level2, Enabled, State };
inline constexpr int kDetectorColumnCount = 6;
// "500", "-40", "yes"; the state is "tripped" whenever the frame says so, else "ok" or "off".
std::string DetectorColumnText(const LevelDetector& detector, DetectorColumn column);
// The frame reports the detector as tripped.
inline bool Tripped(const LevelDetector& detector) {
    return detector.status != 0;
}

// A time in ms within 0..last.
std::optional<std::int32_t> ParseTime(std::string_view text, std::int32_t last);
// The longest time a threshold takes: kMaxReadableTimeMs for the input's first, 60000 ms otherwise.
std::int32_t MaxTimeMs(std::int32_t direction, std::int32_t threshold);

// What the operator typed for one direction.
struct DetectorFieldTexts {
    std::string time1, level1, time2, level2;
};

struct DetectorFieldsRead {
    std::optional<DetectorThresholds> thresholds;
    std::string problem;  // a sentence naming the first field that cannot be taken
};
DetectorFieldsRead ReadDetectorFields(std::int32_t direction, const DetectorFieldTexts& texts);
// The texts the fields show for a stored detector (the level with its hundredths).
DetectorFieldTexts FieldTexts(const DetectorThresholds& thresholds);

// What one direction of a detector should become.
struct DetectorTarget {
    DetectorThresholds thresholds;
    bool enabled = false;
};

// One set request for a detector.
struct DetectorRequest {
    enum class Kind : std::uint8_t { Thresholds, State } kind = Kind::Thresholds;
    std::int32_t direction = 0;
    std::int32_t channel = 0;
    DetectorThresholds thresholds;
    bool enabled = false;
    friend bool operator==(const DetectorRequest&, const DetectorRequest&) = default;
};

// The requests that bring channel `channel` to the targets given for its input and output,
// sending only what differs from what the frame last reported: thresholds input, thresholds
// output, state input, state output. Clearing is the target of zero thresholds, disabled.
void PlanDetectorChannel(const LevelDetectorTables& stored, std::int32_t channel,
                         const std::optional<DetectorTarget>& input,
                         const std::optional<DetectorTarget>& output, std::vector<DetectorRequest>& requests);

}  // namespace velmar
