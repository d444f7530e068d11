#pragma once

#include <string>
#include <string_view>

#include "protocol/MessageCodec.h"
#include "sim/Rack.h"
#include "sim/RackControl.h"

namespace velmar::sim {

// Text commands from the operator or a test, one per line; every answer ends with a line
// "ok ..." or "error: ...". See sim/README.md for the commands.
class ControlChannel {
  public:
    ControlChannel(Rack& rack, RackControl& control) : rack_(rack), control_(control) {}

    std::string Execute(std::string_view line);

  private:
    std::string Fault(std::size_t frame, std::string_view kind, std::string_view rest);
    std::string State(std::size_t frame, std::string_view word, std::string_view args);
    std::string Info(std::size_t frame) const;
    std::string Routes(std::size_t frame);
    std::string Trip(std::size_t frame, std::string_view direction, std::string_view rest);
    std::string Input(std::size_t frame, std::string_view first, std::string_view rest);
    std::string Health(std::size_t frame, std::string_view item, std::string_view rest);

    Rack& rack_;
    RackControl& control_;
    MessageCodec codec_;
};

}  // namespace velmar::sim
