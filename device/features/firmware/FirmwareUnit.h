#pragma once

#include <functional>
#include <optional>
#include <string_view>

#include "device/features/FeatureContext.h"
#include "device/features/firmware/FirmwareRun.h"

namespace velmar {

// Firmware programming, paced by the frame's acknowledgements under a watchdog, and the
// maintenance commands (restart, mode switch, factory settings).
class FirmwareUnit {
  public:
    // `disconnect` ends the connection when a finished run restarts the frame.
    FirmwareUnit(FeatureContext& context, std::function<void()> disconnect);

    // Begins programming the image `run` holds: the begin request and the 1 s watchdog; the
    // frame's answers pace the rest. `run` must stay alive until it reports itself inactive.
    void StartRun(FirmwareRun& run);
    bool RunActive() const { return run_ != nullptr && run_->IsActive(); }

    void Maintenance(CommandCode code, std::optional<std::int32_t> argument);  // srestart, sclear, ...

  private:
    void Prog(const CommandMessage& m);
    void SendNextRecord(bool first);
    void Watch(std::chrono::milliseconds limit);
    void RunEnded();

    FeatureContext& context_;
    std::function<void()> disconnect_;
    FirmwareRun* run_ = nullptr;
    TimerHandle watchdog_;
};

}  // namespace velmar
