#include "features/show/core/ShowReading.h"

#include <algorithm>

#include "device/DeviceModel.h"
#include "device/FeatureGate.h"
#include "device/Session.h"
#include "features/channeltools/core/ChannelToolsGates.h"
#include "features/channeltools/core/ChannelToolsUnit.h"
#include "features/leveldetectors/core/LevelDetectorModule.h"
#include "features/leveldetectors/core/LevelDetectorUnit.h"
#include "features/ppm/core/PpmModule.h"
#include "features/ppm/core/PpmUnit.h"
#include "features/routing/core/RoutingUnit.h"

namespace velmar {

ShowReading::ShowReading(Session& session) : session_(session) {
    const FrameFacts facts = FactsOf(session.State(), session.Connection());
    gains_ = GainsGate(facts).empty();
    detectors_ = LevelDetectorGate(facts).empty();
    ppm_ = PpmGate(facts).empty();
    if (!ppm_)
        return;
    EventHub& events = session.Events();
    subscriptions_.push_back(
        events.Subscribe<PpmStreamReported>([this](const PpmStreamReported& e) { streams_.Apply(e); }));
    subscriptions_.push_back(events.Subscribe<PpmEnableReported>(
        [this](const PpmEnableReported& e) { streams_.SetEnabled(e.id, e.enabled); }));
    subscriptions_.push_back(events.Subscribe<PpmAssignmentReported>(
        [this](const PpmAssignmentReported& e) { streams_.Assign(e); }));
}

void ShowReading::AskLists() {
    if (LabelsGate(FactsOf(session_.State(), session_.Connection())).empty())
        session_.Feature<ChannelToolsUnit>().LabelRuns();
    if (gains_)
        session_.Feature<ChannelToolsUnit>().GainLists();
    if (detectors_) {
        session_.Feature<LevelDetectorUnit>().LevelDetectorThresholds();
        session_.Feature<LevelDetectorUnit>().LevelDetectorRuns(CommandCode::llevdetstate);
    }
    if (ppm_) {
        streams_.Clear();
        session_.Feature<PpmUnit>().Streams();  // its answer asks for each stream
    }
}

bool ShowReading::AskStreamChannels() {
    bool asked = false;
    for (const PpmStream& stream : streams_.Streams()) {
        for (std::int32_t channel = 1; channel <= std::min(stream.channels, kMaxPpmStreamChannels);
             ++channel) {
            session_.Feature<PpmUnit>().Assignment(stream.id, channel);
            asked = true;
        }
    }
    return asked;
}

LiveFrame ShowReading::Live() const {
    return {session_.State(),
            session_.Feature<RoutingUnit>().Crosspoints(),
            session_.Channels(),
            ToolChannelBase(session_.Connection()) + 1,
            gains_ ? &session_.Feature<ChannelToolsUnit>().Gains() : nullptr,
            detectors_ ? &session_.Feature<LevelDetectorUnit>().Detectors() : nullptr,
            ppm_ ? &streams_ : nullptr};
}

}  // namespace velmar
