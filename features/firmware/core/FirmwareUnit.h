#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "device/RequestOutcomes.h"
#include "device/RequestWriter.h"
#include "device/features/FeatureContext.h"
#include "features/firmware/core/FirmwareEvents.h"

namespace velmar {

// The longest record the sprog text field carries whole (its 256 bytes end with a zero).
inline constexpr std::size_t kMaxFirmwareRecord = 255;

// Firmware programming, paced by the frame's acknowledgements under a watchdog, and the
// maintenance commands (restart, mode switch, factory settings).
//
// A run sends an image that was read and checked whole beforehand, from memory: the begin, one
// record per acknowledgement, and the end only after the last record was accepted. Any error
// status or silence ends the run without the end request, so the frame never takes a partial
// image for a complete one. The outcome comes as FirmwareRunEnded.
class FirmwareUnit {
  public:
    // `disconnect` ends the connection when the frame restarts; `reread` asks for the frame's
    // state again (after a factory clear).
    FirmwareUnit(FeatureContext& context, RequestOutcomes& outcomes, std::function<void()> disconnect,
                 std::function<void()> reread);

    // Begins programming `records` (each a record line without its line end). Refused, with
    // nothing sent, while a run is active or when a record is empty or longer than the field.
    RequestProblem StartRun(std::vector<std::string> records);
    // From the begin request until the run ended.
    bool RunActive() const { return stage_ != Stage::Idle; }
    // A run owns the link: nothing else may go out between its records, not even the keep-alive.
    bool Busy() const { return RunActive(); }
    // Sends no further record and never the end, so the frame is left as after any failed run;
    // the run ends Stopped. False when there is nothing left to stop: no run, a run already
    // ending, or the end already sent (the frame has been handed the whole image).
    bool Stop();

    // The data request carrying one record (int:14 = 1, the record after "#" on the line).
    static CommandMessage RecordRequest(std::string_view record);

    // The leaving words: the frame leaves the list and the link is closed once the frame has
    // accepted the word, since closing earlier may drop it unread. A refusal or silence keeps
    // the link and is noticed. The handle says which it was (null when not connected).
    //
    // srestart 1, as after programming an application frame.
    RequestHandle Restart();
    // The restart that follows a programmed image: a frame in recovery loads its application.
    RequestHandle RestartAfterProgramming();
    // sloadboot from the application, sloadapp from recovery.
    RequestHandle SwitchFirmware();
    // sclear; once the frame accepts it, its state is read again.
    void FactoryClear();

  private:
    enum class Stage : std::uint8_t { Idle, BeginSent, RecordSent, EndSent, Ending };

    void Prog(const CommandMessage& m);
    void SendRecord();
    void Watch(std::chrono::milliseconds limit, FirmwareOutcome onExpiry, std::int32_t status = 0);
    // Ends the run from the watchdog's turn, never inside the reply that decided it: a listener
    // may restart the frame and close the link the reply came in on.
    void EndSoon(FirmwareOutcome outcome, std::int32_t status = 0);
    void End(FirmwareOutcome outcome, std::int32_t status);
    RequestHandle Leave(CommandCode code, std::int32_t argument);
    void Left(const RequestRecord& record, std::uint32_t address);

    FeatureContext& context_;
    RequestOutcomes& outcomes_;
    std::function<void()> disconnect_;
    std::function<void()> reread_;
    std::vector<std::string> records_;
    std::size_t acknowledged_ = 0;
    Stage stage_ = Stage::Idle;
    // One watchdog for the whole run, re-armed per record; what its expiry ends the run with.
    TimerHandle watchdog_;
    TimerHandle leaving_;
    FirmwareOutcome watchdogOutcome_ = FirmwareOutcome::Stalled;
    std::int32_t watchdogStatus_ = 0;
    Subscription linkWatch_;
};

}  // namespace velmar
