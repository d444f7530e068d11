#include "features/show/view/ShowFrames.h"

#include "console/ConsoleCore.h"

namespace velmar {

ShowFrames::ShowFrames(ConsoleCore& core, const std::vector<Target>& targets, std::string file) {
    for (const Target& target : targets)
        Add(core, target, file, nullptr);
}

ShowFrames::ShowFrames(ConsoleCore& core, const std::vector<Target>& targets, std::string file,
                       Preview preview) {
    for (const Target& target : targets)
        Add(core, target, file, &preview);
}

void ShowFrames::Add(ConsoleCore& core, const Target& target, const std::string& file,
                     const Preview* preview) {
    const std::size_t i = runs_.size();
    held_.push_back(std::make_shared<HeldLines>());
    if (preview == nullptr) {
        leases_.push_back(core.Frames().Open(target.address, DeviceMode::Application, ConsoleOptions{}));
    } else {
        // The session may outlive this object by a turn of the loop.
        leases_.push_back(core.Frames().OpenHeld(target.address, DeviceMode::Application, ConsoleOptions{},
                                                 [held = held_.back()](std::string_view line) {
                                                     if (held->writing)
                                                         held->lines.emplace_back(line);
                                                 }));
    }
    addresses_.push_back(target.address);
    ShowFrameRun::Setup setup{target.address, target.show, file};
    if (preview != nullptr) {
        setup.sections = preview->sections;
        setup.network = preview->network;
        setup.preview = true;
    }
    runs_.push_back(std::make_unique<ShowFrameRun>(leases_.back().Get(), timers_, std::move(setup)));
    runs_.back()->changed = [this, i, preview = preview != nullptr] {
        ShowFrameRun& run = *runs_[i];
        if (preview && run.GetStage() == ShowFrameRun::Stage::Compared && run.Comparison().problem.empty()) {
            // Held within the turn that compared it: no poll of the frame is taken for a request.
            leases_[i].Hold();
            held_[i]->writing = true;
            run.Send();  // ends Done at once, and says so
            held_[i]->writing = false;
            return;
        }
        if (changed)
            changed();
    };
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
