#include "features/leveldetectors/core/LevelDetectorRules.h"

#include <array>
#include <charconv>

#include "features/channeltools/core/ChannelTools.h"

namespace velmar {

namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

bool AllDigits(std::string_view text) {
    if (text.empty())
        return false;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

std::string FieldName(std::int32_t direction, std::string_view what, std::int32_t threshold) {
    return std::string(direction == 0 ? "Input " : "Output ") + std::string(what) + " " +
           std::to_string(threshold);
}

}  // namespace

std::optional<FixedValue> ParseLevel(std::string_view text) {
    text = Trimmed(text);
    FixedValue value;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        value.negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const std::size_t dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    std::string_view decimals = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
    if (!AllDigits(whole) || whole.size() > 5 || decimals.size() > 2 ||
        (dot != std::string_view::npos && !decimals.empty() && !AllDigits(decimals)))
        return std::nullopt;
    std::int32_t magnitude = 0;
    std::from_chars(whole.data(), whole.data() + whole.size(), magnitude);
    if (magnitude > kMaxLevelDb)
        return std::nullopt;
    std::int32_t hundredths = 0;
    for (std::size_t i = 0; i < 2; ++i)
        hundredths = hundredths * 10 + (i < decimals.size() ? decimals[i] - '0' : 0);
    value.whole = static_cast<std::uint16_t>(magnitude);
    value.hundredths = static_cast<std::uint16_t>(hundredths);
    if (value.whole == 0 && value.hundredths == 0)
        value.negative = false;
    return value;
}

std::optional<std::int32_t> ParseTime(std::string_view text, std::int32_t last) {
    text = Trimmed(text);
    std::int32_t value = 0;
    if (!AllDigits(text) || text.size() > 9)
        return std::nullopt;
    std::from_chars(text.data(), text.data() + text.size(), value);
    if (value > last)
        return std::nullopt;
    return value;
}

std::int32_t MaxTimeMs(std::int32_t direction, std::int32_t threshold) {
    return direction == 0 && threshold == 1 ? kMaxReadableTimeMs : 60000;
}

DetectorFieldsRead ReadDetectorFields(std::int32_t direction, const DetectorFieldTexts& texts) {
    DetectorFieldsRead read;
    DetectorThresholds thresholds;
    const std::array<const std::string*, 2> times{&texts.time1, &texts.time2};
    const std::array<const std::string*, 2> levels{&texts.level1, &texts.level2};
    for (std::int32_t n = 1; n <= 2; ++n) {
        const auto i = static_cast<std::size_t>(n - 1);
        const std::int32_t last = MaxTimeMs(direction, n);
        const std::optional<std::int32_t> time = ParseTime(*times[i], last);
        if (!time) {
            read.problem = FieldName(direction, "time", n) + " must be a whole number of ms from 0 to " +
                           std::to_string(last) + ".";
            return read;
        }
        const std::optional<FixedValue> level = ParseLevel(*levels[i]);
        if (!level) {
            read.problem = FieldName(direction, "level", n) + " must be a number of dB from -" +
                           std::to_string(kMaxLevelDb) + " to " + std::to_string(kMaxLevelDb) +
                           " with at most two decimals.";
            return read;
        }
        (n == 1 ? thresholds.time1 : thresholds.time2) = *time;
        (n == 1 ? thresholds.level1 : thresholds.level2) = *level;
    }
    read.thresholds = thresholds;
    return read;
}

DetectorFieldTexts FieldTexts(const DetectorThresholds& thresholds) {
    return {std::to_string(thresholds.time1), LevelText(thresholds.level1), std::to_string(thresholds.time2),
            LevelText(thresholds.level2)};
}

std::string DetectorText(const LevelDetector& detector) {
    const DetectorThresholds& t = detector.thresholds;
    return std::to_string(t.time1) + ", " + LevelText(t.level1) + ", " + std::to_string(t.time2) + ", " +
           LevelText(t.level2) + ", " + std::to_string(detector.state) + ", " +
           std::to_string(detector.status);
}

std::string DetectorColumnText(const LevelDetector& detector, DetectorColumn column) {
    const DetectorFieldTexts texts = FieldTexts(detector.thresholds);
    switch (column) {
        case DetectorColumn::Time1:
            return texts.time1;
        case DetectorColumn::Level1:
            return texts.level1;
        case DetectorColumn::Time2:
            return texts.time2;
        case DetectorColumn::Level2:
            return texts.level2;
        case DetectorColumn::Enabled:
            return detector.state != 0 ? "yes" : "no";
        case DetectorColumn::State:
            break;
    }
    // A detector tripped before it was disabled is still tripped until the frame says otherwise.
    return Tripped(detector) ? "tripped" : detector.state != 0 ? "ok" : "off";
}

void PlanDetectorChannel(const LevelDetectorTables& detectors, std::int32_t channel,
                         const std::optional<DetectorTarget>& input,
                         const std::optional<DetectorTarget>& output,
                         std::vector<DetectorRequest>& requests) {
    if (channel < 1 || channel > static_cast<std::int32_t>(kChannelTableSize))
        return;
    const std::array<const std::optional<DetectorTarget>*, 2> targets{&input, &output};
    const auto stored = [&](std::int32_t direction) -> const LevelDetector& {
        return detectors[static_cast<std::size_t>(direction)][static_cast<std::size_t>(channel - 1)];
    };
    for (std::int32_t direction = 0; direction <= 1; ++direction) {
        const std::optional<DetectorTarget>& target = *targets[static_cast<std::size_t>(direction)];
        if (target && !(stored(direction).thresholds == target->thresholds))
            requests.push_back(
                {DetectorRequest::Kind::Thresholds, direction, channel, target->thresholds, false});
    }
    for (std::int32_t direction = 0; direction <= 1; ++direction) {
        const std::optional<DetectorTarget>& target = *targets[static_cast<std::size_t>(direction)];
        if (target && (stored(direction).state != 0) != target->enabled)
            requests.push_back({DetectorRequest::Kind::State, direction, channel, {}, target->enabled});
    }
}

}  // namespace velmar
