#pragma once

#include <string_view>

namespace velmar::sim {

class Frame;

// Finds the frame of the rack that carries a given Dante device name, for routing between
// frames by name.
class DanteDirectory {
  public:
    virtual ~DanteDirectory() = default;
    virtual Frame* FindByDanteName(std::string_view name) = 0;
};

}  // namespace velmar::sim
