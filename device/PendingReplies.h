#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "protocol/CommandMessage.h"
#include "protocol/CommandTable.h"

namespace velmar {

// A request waiting for its answer: its word and the values of its int and uint arguments, in
// the order of the request layout.
struct PendingRequest {
    CommandCode code{};
    std::uint8_t keyCount = 0;
    std::array<std::int32_t, kMaxLayoutFields> keys{};

    // The request is `code` and its first keys are `leadingKeys`.
    bool Is(CommandCode word, std::initializer_list<std::int32_t> leadingKeys = {}) const;
    // As a user reads it: "gsyncstat", "gpsustatus 2", "lcross 1025..1152" (a run as its channels).
    std::string Describe() const;
    // A reply answers the request of its word whose int and uint arguments it repeats: request and
    // reply keep an argument at the same byte position, and only the arguments the reply carries
    // count (a refused reply carries only those before the layout's "|"). A reply that carries
    // none of them answers any request of its word; the oldest is meant.
    bool AnsweredBy(const CommandMessage& reply) const;

    static PendingRequest Of(const CommandMessage& request);
};

}  // namespace velmar
