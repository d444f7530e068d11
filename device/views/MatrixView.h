#pragma once

#include <cstdint>

namespace velmar {

// The crosspoint list and the type selectors of the main window.
class MatrixView {
  public:
    // Re-show the row of one output (it moves to the end of the list).
    virtual void RefreshRow(std::int32_t output) = 0;
    // Rebuild the whole list in output order.
    virtual void RebuildList() = 0;
    virtual void RebuildTypeSelectors() = 0;
    // Refill the output (transmit) or input (receive) channel list if it shows IP channels.
    virtual void RefillIpChannels(bool outputSide) = 0;
    virtual void ClearList() = 0;

  protected:
    ~MatrixView() = default;
};

}  // namespace velmar
