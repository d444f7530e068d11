#include "features/show/core/ShowSending.h"

#include <algorithm>
#include <memory>
#include <set>
#include <utility>

#include "device/Session.h"
#include "features/channeltools/core/ChannelToolsUnit.h"
#include "features/interfaces/core/InterfacesUnit.h"
#include "features/leveldetectors/core/LevelDetectorUnit.h"
#include "features/networkaudio/core/NetworkAudioUnit.h"
#include "features/ppm/core/PpmUnit.h"
#include "features/routing/core/RoutingUnit.h"
#include "features/settings/core/AddressRules.h"
#include "features/settings/core/ApplySettings.h"
#include "features/settings/core/CardRequests.h"

namespace velmar {

namespace {

void NotSent(ShowSectionSent& sent, const RequestProblem& problem) {
    if (problem)
        sent.notSent.push_back(*problem);
}

void SendSettings(Session& session, const ConfigBlock& edited, ShowSectionSent& sent) {
    const ConfigBlock& config = session.State().config;
    if (const auto problem = NetworkSettingsProblem(config, edited, SettingsPresenceOf(config).dante)) {
        sent.notSent.push_back(*problem + " No settings were sent.");
        return;
    }
    const auto opened = std::make_unique<ConfigBlock>(config);
    const ApplyOutcome outcome = ApplySettings(*opened, edited, config, session.Requests());
    sent.notSent.insert(sent.notSent.end(), outcome.refused.begin(), outcome.refused.end());
    sent.restart = outcome.OfferRestart();
}

void SendPpm(Session& session, const std::vector<PpmRequest>& requests, ShowSectionSent& sent) {
    PpmUnit& ppm = session.Feature<PpmUnit>();
    for (const PpmRequest& r : requests) {
        using Kind = PpmRequest::Kind;
        if (r.kind == Kind::Delete)
            ppm.Delete(r.id);
        else if (r.kind == Kind::Enable)
            ppm.Enable(r.id, r.enabled);
        else if (r.kind == Kind::Assign)
            ppm.Assign(r.id, r.streamChannel, r.frameChannel);
        else
            NotSent(sent, ppm.Create({r.stream->address, r.stream->port, r.id, r.stream->channels,
                                      r.stream->rate, r.stream->phase}));
    }
}

void SendFlows(Session& session, const std::vector<FlowRequest>& requests, ShowSectionSent& sent) {
    NetworkAudioUnit& network = session.Feature<NetworkAudioUnit>();
    for (const FlowRequest& r : requests) {
        using Kind = FlowRequest::Kind;
        const FlowEntry& e = r.entry;
        const std::int32_t slots = r.kind == Kind::Delete ? 0 : e.slotCount;
        if (r.kind == Kind::Slot)
            network.SetFlowSlot(r.transmit, r.flow, r.slot, r.channel);
        else if (r.kind == Kind::AutoRoute)
            NotSent(sent, network.SetCrossIp(r.flow, r.route.destination,
                                             IpRouteSourceChannel(r.route.sourceChannel).value_or(0),
                                             r.route.source));
        else if (r.transmit)
            NotSent(sent, network.SetTxFlow(r.flow, slots, e.address, e.port));
        else
            network.SetRxFlow(r.flow, slots, e.port, e.latency);
    }
}

}  // namespace

bool ShowSectionHasRequests(const ShowComparison& plan, std::string_view section) {
    if (section == "settings")
        return plan.edited != nullptr;
    if (section == "cards")
        return plan.cardsEdited != nullptr;
    if (section == "routes")
        return !plan.crosspoints.empty();
    if (section == "labels")
        return !plan.labelChanges.empty();
    if (section == "gains")
        return !plan.gainClears.empty();
    if (section == "detectors")
        return !plan.detectorRequests.empty();
    if (section == "ppm")
        return !plan.ppmRequests.empty();
    return section == "flows" && !plan.flowRequests.empty();
}

ShowSectionSent SendShowSection(Session& session, const ShowComparison& plan, std::string_view section) {
    ShowSectionSent sent;
    if (!ShowSectionHasRequests(plan, section))
        return sent;
    if (section == "settings") {
        SendSettings(session, *plan.edited, sent);
    } else if (section == "cards") {
        const ConfigBlock opened = session.State().config;
        sent.readBack = ApplyCardSettings(opened, *plan.cardsEdited, opened, session.Requests()).cards;
    } else if (section == "routes") {
        for (const Crosspoint& c : plan.crosspoints)
            session.Feature<RoutingUnit>().SetCrosspoint(c.output, c.input);
    } else if (section == "labels") {
        for (const ShowLabel& label : plan.labelChanges)
            NotSent(sent, session.Feature<ChannelToolsUnit>().SetLabel(label.direction, label.channel,
                                                                       label.bytes));
    } else if (section == "gains") {
        for (const std::int32_t channel : plan.gainClears)
            session.Feature<ChannelToolsUnit>().ClearGain(channel);
    } else if (section == "detectors") {
        LevelDetectorUnit& detectors = session.Feature<LevelDetectorUnit>();
        for (const DetectorRequest& r : plan.detectorRequests) {
            if (r.kind == DetectorRequest::Kind::Thresholds)
                detectors.SetLevelDetectorThresholds(r.direction, r.channel, r.thresholds);
            else
                detectors.SetLevelDetectorState(r.direction, r.channel, r.enabled);
        }
    } else if (section == "ppm") {
        SendPpm(session, plan.ppmRequests, sent);
    } else {
        SendFlows(session, plan.flowRequests, sent);
    }
    return sent;
}

void KeepShowSections(ShowComparison& plan, const std::vector<std::string>& sections) {
    const auto chosen = [&](std::string_view section) {
        return sections.empty() || std::find(sections.begin(), sections.end(), section) != sections.end();
    };
    const auto dropUnsent = [&](std::initializer_list<std::string_view> prefixes) {
        std::erase_if(plan.unsent, [&](const std::string& line) {
            return std::any_of(prefixes.begin(), prefixes.end(),
                               [&](std::string_view prefix) { return line.starts_with(prefix); });
        });
    };
    if (!chosen("settings")) {
        plan.settings.clear();
        plan.edited.reset();
    }
    if (!chosen("cards")) {
        plan.cards.clear();
        plan.cardsEdited.reset();
        dropUnsent({"card "});
    }
    if (!chosen("routes")) {
        plan.routes.clear();
        plan.crosspoints.clear();
    }
    if (!chosen("labels")) {
        plan.labels.clear();
        plan.labelChanges.clear();
    }
    if (!chosen("gains")) {
        plan.gains.clear();
        plan.gainClears.clear();
        dropUnsent({"gain "});
    }
    if (!chosen("detectors")) {
        plan.detectors.clear();
        plan.detectorRequests.clear();
    }
    if (!chosen("ppm")) {
        plan.ppm.clear();
        plan.ppmRequests.clear();
        dropUnsent({"ppm "});
    }
    if (!chosen("flows")) {
        plan.flows.clear();
        plan.flowRequests.clear();
        dropUnsent({"tx flow", "rx flow", "auto route"});
    }
}

void KeepUndoable(const LiveFrame& live, const ShowComparison& plan, ShowFrame& before) {
    for (const Crosspoint& c : plan.crosspoints) {
        if (live.routes[static_cast<std::size_t>(c.output - 1)] == 0)
            before.routes.push_back({c.output, 0, 0});
    }
    std::sort(before.routes.begin(), before.routes.end(),
              [](const ShowRoute& a, const ShowRoute& b) { return a.output < b.output; });
    for (const ShowLabel& label : plan.labelChanges) {
        const auto& labels =
            label.direction == 0 ? live.state.config.inputLabels : live.state.config.outputLabels;
        if (labels[static_cast<std::size_t>(label.channel - 1)].Empty())
            before.labels.push_back({label.direction, label.channel, {}, 0});
    }
    SortByChannel(before.labels);
    // A detector that was off and unset is written so, so that undoing sets it back.
    std::set<std::pair<std::int32_t, std::int32_t>> named;
    for (const ShowDetector& d : before.detectors)
        named.emplace(d.direction, d.channel);
    for (const DetectorRequest& r : plan.detectorRequests) {
        if (named.emplace(r.direction, r.channel).second)
            before.detectors.push_back({r.direction, r.channel, {}, false, 0});
    }
    SortByChannel(before.detectors);
    // A stream, flow or automatic route the apply makes is removed by the undo.
    for (const PpmRequest& r : plan.ppmRequests) {
        if (r.kind == PpmRequest::Kind::Create && (live.ppm == nullptr || live.ppm->Find(r.id) == nullptr)) {
            ShowPpmStream removed;
            removed.stream.id = r.id;
            removed.removed = true;
            before.ppm.push_back(removed);
        }
    }
    std::sort(before.ppm.begin(), before.ppm.end(),
              [](const ShowPpmStream& a, const ShowPpmStream& b) { return a.stream.id < b.stream.id; });
    for (const FlowRequest& r : plan.flowRequests) {
        if (r.kind == FlowRequest::Kind::Create && live.flows->Find(r.transmit, r.flow) == nullptr)
            before.flows.push_back({r.transmit, r.flow, {}, true, 0});
        if (r.kind == FlowRequest::Kind::AutoRoute && live.autoRoutes->Find(r.flow) == nullptr)
            before.autoRoutes.push_back({r.flow, {}, true, 0});
    }
    std::sort(before.flows.begin(), before.flows.end(), [](const ShowFlow& a, const ShowFlow& b) {
        return a.transmit != b.transmit ? a.transmit : a.flow < b.flow;
    });
    std::sort(before.autoRoutes.begin(), before.autoRoutes.end(),
              [](const ShowAutoRoute& a, const ShowAutoRoute& b) { return a.channel < b.channel; });
}

}  // namespace velmar
