#pragma once

#include <map>
#include <optional>

#include "device/features/FeatureContext.h"

namespace velmar {

// The crosspoint matrix: reading it, setting single crosspoints and the crosspoint stepper
// that walks a range of outputs one request per millisecond.
class RoutingUnit {
  public:
    explicit RoutingUnit(FeatureContext& context);

    void Crosspoint(std::int32_t output);
    void SetCrosspoint(std::int32_t output, std::int32_t input);
    void CrosspointRuns();  // lcross for every block of 128 channels

    // One scross per 1 ms tick from `first` to `last`, each output fed from itself (or
    // disconnected).
    void StartStepper(std::int32_t first, std::int32_t last, bool disconnect);
    void StopStepper();
    bool Stepping() const { return context_.connection.stepper.active; }
    // What this console asked for `output` and has no answer to yet.
    std::optional<std::int32_t> Pending(std::int32_t output) const;
    std::size_t PendingCount() const { return asked_.size(); }
    // A new link: nothing asked on the old one is still awaited.
    void Reset();

  private:
    void Cross(const CommandMessage& m, bool isReply);
    void CrossSet(const CommandMessage& m);
    void CrossList(const CommandMessage& m);
    void StepperTick();

    FeatureContext& context_;
    TimerHandle stepper_;
    // What this console last asked for each output, so a refusal can say what was refused.
    std::map<std::int32_t, std::int32_t> asked_;
};

}  // namespace velmar
