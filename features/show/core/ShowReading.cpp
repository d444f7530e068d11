#include "features/show/core/ShowReading.h"

#include <algorithm>

#include "device/DeviceModel.h"
#include "device/FeatureGate.h"
#include "device/Session.h"
#include "features/channeltools/core/ChannelToolsGates.h"
#include "features/channeltools/core/ChannelToolsUnit.h"
#include "features/leveldetectors/core/LevelDetectorModule.h"
#include "features/leveldetectors/core/LevelDetectorUnit.h"
#include "features/networkaudio/core/NetworkAudioUnit.h"
#include "features/ppm/core/PpmModule.h"
#include "features/ppm/core/PpmUnit.h"
#include "features/routing/core/RoutingUnit.h"

namespace velmar {

ShowReading::ShowReading(Session& session) : session_(session) {
    EventHub& events = session.Events();
    subscriptions_.push_back(
        events.Subscribe<FlowReported>([this](const FlowReported& e) { flowTables_.Apply(e); }));
    subscriptions_.push_back(
        events.Subscribe<FlowSlotReported>([this](const FlowSlotReported& e) { flowTables_.ApplySlot(e); }));
    subscriptions_.push_back(
        events.Subscribe<CrossIpReported>([this](const CrossIpReported& e) { routes_.Apply(e); }));
    subscriptions_.push_back(
        events.Subscribe<PpmStreamReported>([this](const PpmStreamReported& e) { streams_.Apply(e); }));
    subscriptions_.push_back(events.Subscribe<PpmEnableReported>(
        [this](const PpmEnableReported& e) { streams_.SetEnabled(e.id, e.enabled); }));
    subscriptions_.push_back(events.Subscribe<PpmAssignmentReported>(
        [this](const PpmAssignmentReported& e) { streams_.Assign(e); }));
}

void ShowReading::AskLists() {
    // What the frame offers is known once it has been read, not when the reading is made.
    const FrameFacts facts = FactsOf(session_.State(), session_.Connection());
    gains_ = GainsGate(facts).empty();
    detectors_ = LevelDetectorGate(facts).empty();
    ppm_ = PpmGate(facts).empty();
    flows_ = Offers(Feature::IpFlows, facts);
    autoRoutes_ = Offers(Feature::AutoRouting, facts);
    if (LabelsGate(facts).empty())
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
    NetworkAudioUnit& network = session_.Feature<NetworkAudioUnit>();
    if (flows_) {
        flowTables_.Clear();
        network.RxPortRange();
        network.DanteQuery(CommandCode::gmaxlatencyip);
        for (std::int32_t flow = 1; flow <= kMaxFlowId; ++flow) {
            network.Flow(true, flow);
            network.Flow(false, flow);
        }
    }
    if (autoRoutes_) {
        routes_.Clear();
        network.AutoRoute();
        for (std::int32_t channel = 1; channel <= kIpRouteChannels; ++channel)
            network.CrossIp(channel, "localhost");
    }
}

bool ShowReading::AskChannels() {
    bool asked = false;
    for (const bool transmit : {true, false}) {
        for (const std::int32_t flow : flowTables_.Ids(transmit)) {
            for (std::int32_t slot = 0;
                 slot < std::min(flowTables_.Find(transmit, flow)->slotCount, kMaxFlowSlots); ++slot) {
                session_.Feature<NetworkAudioUnit>().FlowSlot(transmit, flow, slot);
                asked = true;
            }
        }
    }
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
            session_.Capabilities().cards,
            gains_ ? &session_.Feature<ChannelToolsUnit>().Gains() : nullptr,
            detectors_ ? &session_.Feature<LevelDetectorUnit>().Detectors() : nullptr,
            ppm_ ? &streams_ : nullptr,
            flows_ ? &flowTables_ : nullptr,
            autoRoutes_ ? &routes_ : nullptr,
            session_.Feature<NetworkAudioUnit>().Flows().maxLatency,
            FrameAddresses(session_.State(), session_.Connection())};
}

}  // namespace velmar
