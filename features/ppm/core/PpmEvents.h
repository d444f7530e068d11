#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace velmar {

// A PPM meter stream as the frame described it (`gppminfo`, or the answer to `sppmcreate`,
// which carries no enable flag).
struct PpmStreamReported {
    std::uint32_t id = 0;
    std::int32_t channels = 0;
    std::int32_t rate = 0;  // ms
    std::int32_t phase = 0;
    std::int32_t port = 0;
    std::string address;
    std::optional<bool> enabled;
};

struct PpmStreamRemoved {
    std::uint32_t id = 0;
};

struct PpmEnableReported {
    std::uint32_t id = 0;
    bool enabled = false;
};

// Stream channel `streamChannel` of stream `id` carries frame channel `frameChannel` (0: none);
// the extended form's flag is already added in.
struct PpmAssignmentReported {
    std::uint32_t id = 0;
    std::int32_t streamChannel = 0;
    std::int32_t frameChannel = 0;
};

// The frame refused a PPM request; `word` names it.
struct PpmRefused {
    std::string word;
    std::int32_t status = 0;
};

}  // namespace velmar
