#pragma once

#include <array>
#include <cstdint>

#include "device/DeviceState.h"

namespace velmar {

// The modeless input status window. It keeps copies of a few values so it can tell a change.
class InputStatusView {
  public:
    virtual std::int32_t ModelClass() const = 0;
    virtual void SetModelClass(std::int32_t modelClass) = 0;
    virtual void SetCardKinds(const std::array<CardType, kCardSlots>& kinds) = 0;
    virtual std::int32_t RedundancyEnable() const = 0;
    virtual void SetRedundancyEnable(std::int32_t value) = 0;
    virtual void SetModuleInactive(std::int32_t module, std::int32_t value) = 0;
    virtual void RefreshModuleRow(std::int32_t module) = 0;
    virtual std::int32_t CardRedundancy(std::int32_t card) const = 0;
    virtual void SetCardRedundancy(std::int32_t card, std::int32_t value) = 0;
    // A card-related line (AD signal, AES input, SDI receiver, card interface) changed.
    virtual void RefreshCardLine(std::int32_t card, std::int32_t line) = 0;
    virtual void RefreshMainInputLine(std::int32_t input) = 0;
    virtual void RefreshAll() = 0;

  protected:
    ~InputStatusView() = default;
};

}  // namespace velmar
