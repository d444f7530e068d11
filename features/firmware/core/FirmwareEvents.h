#pragma once

#include <cstddef>
#include <cstdint>

namespace velmar {

// The frame acknowledged another record of the image being programmed.
struct FirmwareProgress {
    std::size_t acknowledged = 0;
    std::size_t total = 0;
};

// How a programming run ended. Only Programmed means the frame holds the whole image.
enum class FirmwareOutcome : std::uint8_t {
    Programmed,       // every record and the end acknowledged with status 0
    BeginRefused,     // the frame answered the begin with an error status
    BeginUnanswered,  // no answer to the begin within its watchdog
    RecordRefused,    // a record was answered with an error status
    Stalled,          // the frame stopped acknowledging records
    EndRefused,       // the end was answered with an error status
    EndUnanswered,    // no answer to the end
    LinkLost,         // the connection went during the run
    Stopped,          // the operator stopped the run before its end was sent
};

struct FirmwareRunEnded {
    FirmwareOutcome outcome = FirmwareOutcome::Programmed;
    std::size_t acknowledged = 0;  // records the frame accepted
    std::size_t total = 0;
    std::int32_t status = 0;  // the refusing reply's status, for the Refused outcomes
};

}  // namespace velmar
