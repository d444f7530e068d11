#include "device/posix/PosixTimerService.h"

namespace velmar {

std::optional<PosixEventLoop::Clock::time_point> PosixTimerService::NextDue() const {
    if (const auto deadline = NextDeadline())
        return PosixEventLoop::Clock::time_point(*deadline);
    return std::nullopt;
}

void PosixTimerService::FireDue(PosixEventLoop::Clock::time_point now) {
    // Only what was due on entry: a repeating 0 ms timer must not hold the loop.
    const std::size_t due = RunningCount();
    for (std::size_t i = 0; i < due; ++i) {
        if (!FireEarliest(now.time_since_epoch()))
            return;
    }
}

}  // namespace velmar
