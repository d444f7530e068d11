#pragma once

#include <cstdint>
#include <span>

#include "protocol/CommandMessage.h"

namespace velmar {

class LevelDetectorView {
  public:
    // The 8 words from int:14 of a threshold reply.
    virtual void StoreThresholds(const CommandMessage& reply) = 0;
    virtual void SetState(std::int32_t selector, std::int32_t channel, std::int32_t value) = 0;
    virtual void SetStatus(std::int32_t selector, std::int32_t channel, std::int32_t value) = 0;
    // A run of states or statuses from `first` on.
    virtual void SetStateRun(std::int32_t selector, std::int32_t first,
                             std::span<const std::int32_t> values) = 0;
    virtual void SetStatusRun(std::int32_t selector, std::int32_t first,
                              std::span<const std::int32_t> values) = 0;

  protected:
    ~LevelDetectorView() = default;
};

}  // namespace velmar
