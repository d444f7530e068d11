#include "features/routing/core/RoutingUnit.h"

#include "features/routing/core/RoutingEvents.h"

namespace velmar {

using namespace std::chrono_literals;
namespace {
using C = CommandCode;
}  // namespace

RoutingUnit::RoutingUnit(FeatureContext& context) : context_(context) {
    Dispatcher& d = context.dispatcher;
    d.On(C::gcross, [this](const CommandMessage& m, bool isReply) { Cross(m, isReply); });
    d.On(C::scross, [this](const CommandMessage& m, bool) { CrossSet(m); });
    d.On(C::lcross, [this](const CommandMessage& m, bool) { CrossList(m); });
}

void RoutingUnit::Crosspoint(std::int32_t output) {
    context_.requests.Send(C::gcross, {{14, output}});
}

void RoutingUnit::SetCrosspoint(std::int32_t output, std::int32_t input) {
    asked_[output] = input;
    context_.requests.Send(C::scross, {{14, output}, {18, input}, {22, 0}, {26, 0}});
    context_.events.Publish(CrosspointRequested{output, input});
}

std::optional<std::int32_t> RoutingUnit::Pending(std::int32_t output) const {
    const auto asked = asked_.find(output);
    return asked != asked_.end() ? std::optional<std::int32_t>(asked->second) : std::nullopt;
}

void RoutingUnit::CrosspointRuns() {
    for (std::int32_t first = 1; first < context_.Channels(); first += 128)
        context_.requests.Send(C::lcross, {{14, first}, {18, 128}});
}

void RoutingUnit::Cross(const CommandMessage& m, bool isReply) {
    const std::int32_t output = m.Int(14);
    if (!InRange(output, 1, context_.Channels()))
        return;
    crosspoints_[At(output)] = m.Int(18);
    context_.events.Publish(CrosspointChanged{
        output, m.Int(18), isReply ? CrosspointOrigin::GetReply : CrosspointOrigin::Notification});
}

void RoutingUnit::CrossSet(const CommandMessage& m) {
    const std::int32_t output = m.Int(14);
    const auto asked = asked_.find(output);
    const std::int32_t requested = asked != asked_.end() ? asked->second : m.Int(18);
    if (asked != asked_.end())
        asked_.erase(asked);
    if (!InRange(output, 1, context_.Channels()))
        return;
    std::int32_t& crosspoint = crosspoints_[At(output)];
    if (m.status != 0) {
        // The frame still routes what it routed: forgetting that would drop the output from the
        // list and from the next snapshot saved.
        context_.events.Publish(CrosspointRefused{output, requested, m.status, crosspoint});
        return;
    }
    crosspoint = m.Int(18);
    context_.events.Publish(CrosspointChanged{output, crosspoint, CrosspointOrigin::SetReply});
}

void RoutingUnit::CrossList(const CommandMessage& m) {
    const std::int32_t first = m.Int(14);
    const std::int32_t count = m.Int(18);
    const std::int32_t channels = context_.Channels();
    if (m.status != 0 || first < 1 || !InRange(count, 0, static_cast<std::int32_t>(kCrosspointListSize)) ||
        first + count - 1 > channels) {
        return;
    }
    std::array<std::int32_t, kCrosspointListSize> values{};
    context_.codec.GetCrosspointList(count, values);
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i)
        crosspoints_[At(first) + i] = values[i];
    if (first + count - 1 == channels)
        context_.events.Publish(MatrixRead{});
}

void RoutingUnit::StartStepper(std::int32_t first, std::int32_t last, bool disconnect) {
    stepper_ = {true, disconnect, first, last};
    stepperTimer_ =
        context_.timers.Start("crosspoint stepper", 1ms, TimerMode::Repeat, [this] { StepperTick(); });
}

void RoutingUnit::StopStepper() {
    stepperTimer_.Stop();
    stepper_.active = false;
}

void RoutingUnit::Reset() {
    crosspoints_.fill(0);
}

void RoutingUnit::NewLink() {
    StopStepper();
    asked_.clear();
}

void RoutingUnit::StepperTick() {
    Stepper& stepper = stepper_;
    if (!stepper.active)
        return;
    SetCrosspoint(stepper.next, stepper.disconnect ? 0 : stepper.next);
    if (stepper.next >= stepper.last)
        StopStepper();
    ++stepper.next;
}

}  // namespace velmar
