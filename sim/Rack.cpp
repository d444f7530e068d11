#include "sim/Rack.h"

namespace velmar::sim {

Rack::Rack(const std::vector<FrameDescription>& descriptions, std::int64_t restartMs) {
    frames_.reserve(descriptions.size());
    for (const FrameDescription& description : descriptions)
        frames_.push_back(std::make_unique<Frame>(description, *this, codec_, restartMs));
}

std::size_t Rack::IndexOf(std::string_view address) const {
    for (std::size_t i = 0; i < frames_.size(); ++i) {
        if (frames_[i]->Address() == address)
            return i;
    }
    return frames_.size();
}

Frame* Rack::FindByDanteName(std::string_view name) {
    for (const auto& frame : frames_) {
        if (!name.empty() && frame->DanteName() == name)
            return frame.get();
    }
    return nullptr;
}

}  // namespace velmar::sim
