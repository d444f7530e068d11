#pragma once

#include <map>
#include <optional>

#include "device/features/FeatureContext.h"
#include "features/routing/core/CrosspointTable.h"

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
    bool Stepping() const { return stepper_.active; }
    // The stepper's outputs are on their way: no other routing may interleave with them.
    bool Busy() const { return Stepping(); }
    // What this console asked for `output` and has no answer to yet.
    std::optional<std::int32_t> Pending(std::int32_t output) const;
    std::size_t PendingCount() const { return asked_.size(); }
    // A new link: nothing asked on the old one is still awaited.
    void NewLink();
    // What the frame routes, as it last reported it; forgotten with the rest of its state.
    const CrosspointTable& Crosspoints() const { return crosspoints_; }
    void Reset();
    // For tests and benchmarks that stage a matrix; the console writes it only from replies.
    CrosspointTable& MutableCrosspoints() { return crosspoints_; }

  private:
    void Cross(const CommandMessage& m, bool isReply);
    void CrossSet(const CommandMessage& m);
    void CrossList(const CommandMessage& m);
    void StepperTick();

    struct Stepper {
        bool active = false;
        bool disconnect = false;
        std::int32_t next = 0;
        std::int32_t last = 0;
    };

    FeatureContext& context_;
    CrosspointTable crosspoints_{};
    Stepper stepper_;
    TimerHandle stepperTimer_;
    // What this console last asked for each output, so a refusal can say what was refused.
    std::map<std::int32_t, std::int32_t> asked_;
};

}  // namespace velmar
