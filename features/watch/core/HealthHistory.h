#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "features/watch/core/HealthEvents.h"

namespace velmar {

// Where the changes of watched frames are kept. Each call says empty on success, else why it
// failed (for the operator); the store never throws.
class HealthHistory {
  public:
    virtual ~HealthHistory() = default;
    virtual std::string Record(const HealthChanged& change) = 0;
    // Forgets every change older than `before`.
    virtual std::string Prune(std::chrono::system_clock::time_point before) = 0;
    // The changes of `frame` since `since` (inclusive), oldest first.
    virtual std::string Read(std::string_view frame, std::chrono::system_clock::time_point since,
                             std::vector<HealthChanged>& into) = 0;
};

}  // namespace velmar
