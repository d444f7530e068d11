#pragma once

#include <chrono>
#include <span>
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
    // Several changes in one go (one transaction where the store has them); on failure none or
    // some may be kept.
    virtual std::string RecordAll(std::span<const HealthChanged> changes) {
        for (const HealthChanged& change : changes) {
            if (std::string failure = Record(change); !failure.empty())
                return failure;
        }
        return {};
    }
    // Forgets every change older than `before`.
    virtual std::string Prune(std::chrono::system_clock::time_point before) = 0;
    // The changes of `frame` since `since` (inclusive), oldest first.
    virtual std::string Read(std::string_view frame, std::chrono::system_clock::time_point since,
                             std::vector<HealthChanged>& into) = 0;
};

}  // namespace velmar
