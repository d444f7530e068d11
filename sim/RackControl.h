#pragma once

#include <cstddef>
#include <string_view>

namespace velmar::sim {

// What the control channel may ask of the server that hosts the rack's connections.
class RackControl {
  public:
    virtual ~RackControl() = default;
    virtual void CloseClients(std::size_t frame) = 0;
    // Bytes straight to every client of the frame, past the fault filters (the run-on burst).
    virtual void SendRaw(std::size_t frame, std::string_view bytes) = 0;
    // Notification lines to every client of the frame, through the fault filters.
    virtual void Notify(std::size_t frame, std::string_view lines) = 0;
    // Listeners and connections follow the frame's faults and phase.
    virtual void FaultsChanged(std::size_t frame) = 0;
    virtual void RestartFrame(std::size_t frame) = 0;
    virtual std::size_t ClientCount(std::size_t frame) const = 0;
    virtual void Quit() = 0;
};

}  // namespace velmar::sim
