#pragma once

#include <chrono>
#include <thread>

namespace velmar::test {

// Polls `done` until it holds or `timeout` passes. Waits on the simulator's timers go through
// this rather than a fixed sleep: under the sanitizers a restart can take several times longer.
template <typename Predicate>
bool Eventually(Predicate done, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

}  // namespace velmar::test
