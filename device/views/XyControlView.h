#pragma once

#include <cstdint>

namespace velmar {

class XyControlView {
  public:
    virtual void ShowCrosspoint(std::int32_t output, std::int32_t input) = 0;
    virtual void RefreshControls() = 0;

  protected:
    ~XyControlView() = default;
};

}  // namespace velmar
