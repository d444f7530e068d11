#include "features/show/view/ShowFrames.h"

#include "console/ConsoleCore.h"

namespace velmar {

ShowFrames::ShowFrames(ConsoleCore& core, const std::vector<Target>& targets, std::string file) {
    for (const Target& target : targets) {
        leases_.push_back(core.Frames().Open(target.address, DeviceMode::Application, ConsoleOptions{}));
        addresses_.push_back(target.address);
        runs_.push_back(std::make_unique<ShowFrameRun>(
            leases_.back().Get(), timers_, ShowFrameRun::Setup{target.address, target.show, file}));
        runs_.back()->changed = [this] {
            if (changed)
                changed();
        };
    }
}

bool ShowFrames::Ready() const {
    for (const auto& run : runs_) {
        const auto stage = run->GetStage();
        if (stage == ShowFrameRun::Stage::Starting || stage == ShowFrameRun::Stage::Reading)
            return false;
    }
    return true;
}

bool ShowFrames::Finished() const {
    for (const auto& run : runs_) {
        const auto stage = run->GetStage();
        if (stage != ShowFrameRun::Stage::Done && stage != ShowFrameRun::Stage::Failed)
            return false;
    }
    return true;
}

}  // namespace velmar
