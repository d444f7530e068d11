#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "protocol/MessageCodec.h"
#include "sim/DanteDirectory.h"
#include "sim/Frame.h"

namespace velmar::sim {

// The frames one process hosts, found by address or by Dante name.
class Rack : public DanteDirectory {
  public:
    Rack(const std::vector<FrameDescription>& descriptions, std::int64_t restartMs = 2000);

    std::size_t Size() const { return frames_.size(); }
    Frame& At(std::size_t index) { return *frames_[index]; }
    const Frame& At(std::size_t index) const { return *frames_[index]; }
    // Index of the frame on `address`, or Size() when there is none.
    std::size_t IndexOf(std::string_view address) const;
    Frame* FindByDanteName(std::string_view name) override;
    const MessageCodec& Codec() const { return codec_; }

  private:
    MessageCodec codec_;  // writes every frame's lines; reading is done per connection
    std::vector<std::unique_ptr<Frame>> frames_;
};

}  // namespace velmar::sim
