#include "features/leveldetectors/core/LevelDetectorUnit.h"

#include <array>

#include "device/DeviceModel.h"
#include "features/leveldetectors/core/LevelDetectorEvents.h"

namespace velmar {

namespace {
using C = CommandCode;
}  // namespace

namespace {

std::int32_t Direction(const CommandMessage& m) {
    return m.Int(14) == 0 ? 0 : 1;
}

}  // namespace

LevelDetectorUnit::LevelDetectorUnit(FeatureContext& context) : context_(context) {
    Dispatcher& d = context.dispatcher;
    d.On(C::glevdetthres, [this](const CommandMessage& m, bool) { Thresholds(m); });
    d.On(C::slevdetthres, [this](const CommandMessage& m, bool) { Thresholds(m); });
    d.On(C::glevdetstate, [this](const CommandMessage& m, bool) { Value(m, &LevelDetector::state); });
    d.On(C::slevdetstate, [this](const CommandMessage& m, bool) { Value(m, &LevelDetector::state); });
    d.On(C::glevdetstatus, [this](const CommandMessage& m, bool) { Value(m, &LevelDetector::status); });
    d.On(C::llevdetstate, [this](const CommandMessage& m, bool) { ValueList(m, &LevelDetector::state); });
    d.On(C::llevdetstatus, [this](const CommandMessage& m, bool) { ValueList(m, &LevelDetector::status); });
}

void LevelDetectorUnit::LevelDetectorThresholds() {
    for (std::int32_t selector = 0; selector <= 1; ++selector) {
        for (std::int32_t ch = ToolChannelBase(context_.connection) + 1; ch <= context_.Channels(); ++ch)
            context_.requests.Send(C::glevdetthres, {{14, selector}, {18, ch}});
    }
}

void LevelDetectorUnit::LevelDetectorRuns(CommandCode list) {
    const std::int32_t base = ToolChannelBase(context_.connection);
    const std::int32_t runs = (context_.Channels() - base) / 128;
    for (std::int32_t selector = 0; selector <= 1; ++selector) {
        for (std::int32_t run = 0; run < runs; ++run)
            context_.requests.Send(list, {{14, selector}, {18, base + 1 + 128 * run}, {22, 128}});
    }
}

void LevelDetectorUnit::LevelDetectorStatus(std::int32_t direction, std::int32_t channel) {
    if (InRange(channel, 1, context_.Channels()))
        context_.requests.Send(C::glevdetstatus, {{14, direction}, {18, channel}});
}

void LevelDetectorUnit::ReadLevelDetector(std::int32_t direction, std::int32_t channel) {
    if (!InRange(channel, 1, context_.Channels()))
        return;
    for (C code : {C::glevdetthres, C::glevdetstate, C::glevdetstatus})
        context_.requests.Send(code, {{14, direction}, {18, channel}});
}

CommandMessage LevelDetectorUnit::ThresholdsRequest(std::int32_t direction, std::int32_t channel,
                                                    const DetectorThresholds& thresholds) {
    CommandMessage message;
    message.SetInt(14, direction);
    message.SetInt(18, channel);
    message.SetFixed(22, thresholds.level1);
    message.SetInt(30, thresholds.time1);
    message.SetFixed(34, thresholds.level2);
    message.SetInt(42, thresholds.time2);
    return message;
}

CommandMessage LevelDetectorUnit::StateRequest(std::int32_t direction, std::int32_t channel, bool enabled) {
    CommandMessage message;
    message.SetInt(14, direction);
    message.SetInt(18, channel);
    message.SetInt(22, enabled ? 1 : 0);
    return message;
}

void LevelDetectorUnit::SetLevelDetectorThresholds(std::int32_t direction, std::int32_t channel,
                                                   const DetectorThresholds& thresholds) {
    if (!InRange(channel, 1, context_.Channels()))
        return;
    CommandMessage message = ThresholdsRequest(direction, channel, thresholds);
    context_.requests.SendRecord(message, C::slevdetthres);
}

void LevelDetectorUnit::SetLevelDetectorState(std::int32_t direction, std::int32_t channel, bool enabled) {
    if (!InRange(channel, 1, context_.Channels()))
        return;
    CommandMessage message = StateRequest(direction, channel, enabled);
    context_.requests.SendRecord(message, C::slevdetstate);
}

LevelDetector* LevelDetectorUnit::Detector(std::int32_t direction, std::int32_t channel) {
    if (!InRange(channel, 1, static_cast<std::int32_t>(kChannelTableSize)))
        return nullptr;
    return &detectors_[static_cast<std::size_t>(direction)][At(channel)];
}

// A refused request's answer carries no detector values: the stored ones stay.
void LevelDetectorUnit::Thresholds(const CommandMessage& m) {
    LevelDetector* detector = Detector(Direction(m), m.Int(18));
    if (m.status != 0 || detector == nullptr)
        return;
    detector->thresholds = {m.Fixed(22), m.Int(30), m.Fixed(34), m.Int(42)};
    context_.events.Publish(LevelDetectorsChanged{Direction(m), m.Int(18), 1});
}

void LevelDetectorUnit::Value(const CommandMessage& m, std::int32_t LevelDetector::*value) {
    LevelDetector* detector = Detector(Direction(m), m.Int(18));
    if (m.status != 0 || detector == nullptr)
        return;
    detector->*value = m.Int(22);
    context_.events.Publish(LevelDetectorsChanged{Direction(m), m.Int(18), 1});
}

void LevelDetectorUnit::ValueList(const CommandMessage& m, std::int32_t LevelDetector::*value) {
    const std::int32_t first = m.Int(18);
    const std::int32_t count = m.Int(22);
    if (m.status != 0 || first < 1 || !InRange(count, 1, static_cast<std::int32_t>(kLevelDetectorListSize)) ||
        first + count - 1 > context_.Channels())
        return;
    std::array<std::int32_t, kLevelDetectorListSize> values{};
    if (!context_.codec.GetLevelDetectorList(count, values))
        return;
    const std::int32_t direction = Direction(m);
    for (std::int32_t k = 0; k < count; ++k)
        Detector(direction, first + k)->*value = values[static_cast<std::size_t>(k)];
    context_.events.Publish(LevelDetectorsChanged{direction, first, count});
}

}  // namespace velmar
