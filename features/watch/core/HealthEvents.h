#pragma once

#include <chrono>
#include <string>

namespace velmar {

// One health value of a watched frame moved: its link, name, model, mode, sync source or lock,
// sample rate, a supply or a fan. `from` is empty the first time the value is known. Texts are
// UTF-8 (a frame's name is decoded from its bytes).
struct HealthChanged {
    std::string frame;  // the address the frame is watched on
    std::string what;   // "link", "name", "model", "mode", "sync-source", "sync", "sample-rate",
                        // "psu1", "psu2", "fan1".."fan3", "detectors" ("2 tripped", "none")
    std::string from;
    std::string to;
    std::chrono::system_clock::time_point time{};
};

}  // namespace velmar
