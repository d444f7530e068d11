#include "features/networkaudio/core/NetworkAudioUnit.h"

#include <string>

#include "device/FieldBindings.h"
#include "features/networkaudio/core/NetworkAudioEvents.h"
#include "protocol/WireText.h"

namespace velmar {

namespace {
using C = CommandCode;
}  // namespace

namespace {

constexpr auto kFlows = static_cast<std::int32_t>(kFlowCount);
constexpr auto kSlots = static_cast<std::int32_t>(kFlowSlots);

bool IsSet(const CommandMessage& m, std::initializer_list<C> setWords) {
    for (C word : setWords) {
        if (m.code == ToCode(word))
            return true;
    }
    return false;
}

}  // namespace

NetworkAudioUnit::NetworkAudioUnit(FeatureContext& context) : context_(context) {
    Dispatcher& d = context.dispatcher;
    context.StoreRepliesOf(
        {C::gbkip, C::gbksecip, C::gbkname, C::gswmodeip, C::sswmodeip, C::gsrenaip, C::ssrenaip});
    d.On(C::grxportrng, [this](const CommandMessage& m, bool) {
        flows_.rxPortFirst = m.status != 0 ? 0 : m.Int(14);
        flows_.rxPortLast = m.status != 0 ? 0 : m.Int(18);
    });
    for (C code : {C::guniclkip, C::suniclkip, C::gautorouteip, C::sautorouteip, C::gmaxlatencyip})
        d.On(code, [this](const CommandMessage& m, bool) { StoreAndPublish(m); });
    d.On(C::guniclkstip, [this](const CommandMessage& m, bool) {
        context_.events.Publish(UnicastClockStatusReported{std::string(m.status != 0 ? "" : m.Text(18, 31))});
    });
    d.On(C::gframeip, [this](const CommandMessage& m, bool) {
        context_.state.config.danteFrame = m.status != 0 ? 0 : m.Int(46);
        if (m.status == 0)
            context_.events.Publish(PerformanceReported{true, false, m.Int(46), 0});
    });
    d.On(C::glatencyip, [this](const CommandMessage& m, bool) {
        context_.state.config.danteLatency = m.status != 0 ? 0 : m.Int(46);
        if (m.status == 0)
            context_.events.Publish(PerformanceReported{false, true, 0, m.Int(46)});
    });
    d.On(C::sperformip, [this](const CommandMessage& m, bool) {
        if (m.status != 0) {
            context_.events.Publish(PerformanceRefused{m.status});
            return;
        }
        context_.state.config.danteFrame = m.Int(50);
        context_.state.config.danteLatency = m.Int(46);
        context_.events.Publish(PerformanceReported{true, true, m.Int(50), m.Int(46)});
    });
    for (C code : {C::gcrtxflow, C::scrtxflow})
        d.On(code, [this](const CommandMessage& m, bool) { OnTxFlow(m); });
    for (C code : {C::gcrrxflow, C::scrrxflow})
        d.On(code, [this](const CommandMessage& m, bool) { OnRxFlow(m); });
    for (C code : {C::gtxflowslot, C::stxflowslot, C::grxflowslot, C::srxflowslot})
        d.On(code, [this](const CommandMessage& m, bool) { OnFlowSlot(m); });
    for (C code : {C::gcrossip, C::scrossip})
        d.On(code, [this](const CommandMessage& m, bool) { OnCrossIp(m); });
}

void NetworkAudioUnit::DanteNetwork(bool secondary) {
    context_.requests.Send(secondary ? C::gbksecip : C::gbkip);
}

RequestProblem NetworkAudioUnit::SetDanteNetwork(bool secondary) {
    return context_.requests.SendSetting(secondary ? C::sbksecip : C::sbkip);
}

void NetworkAudioUnit::DanteName() {
    context_.requests.Send(C::gbkname);
}

RequestProblem NetworkAudioUnit::SetDanteName() {
    return context_.requests.SendSetting(C::sbkname);
}

std::string_view NetworkAudioUnit::DanteHostName() const {
    const TextField<32>& name = context_.state.config.danteName;
    return name.Empty() ? std::string_view("localhost") : name.View();
}

RequestProblem NetworkAudioUnit::CrossIp(std::int32_t channel, std::string_view destination) {
    return context_.requests.SendText(C::gcrossip, {{14, channel}}, 18, 32,
                                      destination.empty() ? DanteHostName() : destination, "A device name");
}

RequestProblem NetworkAudioUnit::SetCrossIp(std::int32_t channel, std::string_view destination,
                                            std::int32_t sourceChannel, std::string_view source) {
    if (destination.empty())
        destination = DanteHostName();
    if (source.empty())
        source = DanteHostName();
    for (const std::string_view name : {destination, source}) {
        if (RequestProblem problem = WireTextProblem(name, 32, "A device name"))
            return problem;
    }
    std::string channelText;
    if (sourceChannel != 0)
        channelText = (sourceChannel > 0 && sourceChannel < 10 ? "0" : "") + std::to_string(sourceChannel);
    CommandMessage message;
    message.SetInt(14, channel);
    message.SetText(18, 32, destination);
    message.SetText(50, 32, channelText);
    message.SetText(82, 32, source);
    return context_.requests.SendRecord(message, C::scrossip, "A device name");
}

void NetworkAudioUnit::Performance() {
    SetPerformance(context_.state.config.danteFrame, context_.state.config.danteLatency);
}

RequestProblem NetworkAudioUnit::SetPerformance(std::int32_t frameRate, std::int32_t latency) {
    CommandMessage message;
    message.SetText(14, 32, DanteHostName());
    message.SetInt(50, frameRate);
    message.SetInt(46, latency);
    return context_.requests.SendRecord(message, C::sperformip, "A Dante device name");
}

void NetworkAudioUnit::DanteQuery(CommandCode code) {
    context_.requests.SendText(code, {}, 14, 32, DanteHostName(), "A Dante device name");
}

void NetworkAudioUnit::AutoRoute() {
    context_.requests.Send(C::gautorouteip);
}

void NetworkAudioUnit::SetAutoRoute(bool enabled) {
    context_.requests.Send(C::sautorouteip, {{14, enabled ? 1 : 0}});
}

void NetworkAudioUnit::UnicastClock() {
    context_.requests.Send(C::guniclkip);
}

void NetworkAudioUnit::UnicastClockStatus() {
    context_.requests.Send(C::guniclkstip);
}

void NetworkAudioUnit::SetUnicastClock(bool enabled) {
    context_.requests.Send(C::suniclkip, {{14, enabled ? 1 : 0}});
}

void NetworkAudioUnit::RxPortRange() {
    context_.requests.Send(C::grxportrng);
}

void NetworkAudioUnit::Flow(bool transmit, std::int32_t flow) {
    context_.requests.Send(transmit ? C::gcrtxflow : C::gcrrxflow, {{14, flow}});
}

void NetworkAudioUnit::FlowSlot(bool transmit, std::int32_t flow, std::int32_t slot) {
    context_.requests.Send(transmit ? C::gtxflowslot : C::grxflowslot, {{14, flow}, {18, slot}});
}

RequestProblem NetworkAudioUnit::SetTxFlow(std::int32_t flow, std::int32_t slotCount,
                                           std::string_view address, std::int32_t port) {
    return context_.requests.SendText(C::scrtxflow, {{14, flow}, {18, slotCount}, {38, port}}, 22, 16,
                                      address, "A flow address");
}

void NetworkAudioUnit::SetRxFlow(std::int32_t flow, std::int32_t slotCount, std::int32_t port,
                                 std::int32_t latency) {
    context_.requests.Send(C::scrrxflow, {{14, flow}, {18, slotCount}, {22, port}, {26, latency}});
}

void NetworkAudioUnit::SetFlowSlot(bool transmit, std::int32_t flow, std::int32_t slot,
                                   std::int32_t channel) {
    context_.requests.Send(transmit ? C::stxflowslot : C::srxflowslot,
                           {{14, flow}, {18, slot}, {22, channel}});
}

void NetworkAudioUnit::StoreAndPublish(const CommandMessage& m) {
    StoreBoundFields(context_.state, m);
    const ConfigBlock& config = context_.state.config;
    switch (static_cast<C>(m.code)) {
        case C::guniclkip:
        case C::suniclkip:
            context_.events.Publish(UnicastClockReported{config.danteUniClk != 0});
            break;
        case C::gautorouteip:
        case C::sautorouteip:
            // A read that failed leaves nothing known to be on: the box shows off.
            context_.events.Publish(AutoRouteReported{config.danteAutoRoute != 0});
            break;
        default:
            // Stored whatever the status: a refused read carries 0.
            flows_.maxLatency = m.Int(46);
            context_.events.Publish(MaxLatencyReported{flows_.maxLatency});
            break;
    }
}

void NetworkAudioUnit::OnTxFlow(const CommandMessage& m) {
    const bool set = IsSet(m, {C::scrtxflow});
    if (m.status != 0) {
        // A refused create or delete changes nothing, whatever the reply repeats.
        if (set)
            context_.events.Publish(FlowRefused{true, m.status});
        return;
    }
    const std::int32_t flow = m.Int(14);
    if (!InRange(flow, 1, kFlows))
        return;
    velmar::TxFlow& entry = flows_.txFlows[At(flow)];
    if (!set || m.Int(18) > 0) {
        entry.flow = flow;
        entry.exists = m.Int(18);
        entry.name.Assign(m.Text(22, 16));
        entry.last = m.Int(38);
    } else {
        entry = {};
    }
    if (m.Int(18) == 0)
        context_.events.Publish(IpChannelsChanged{true});
    context_.events.Publish(FlowReported{true, flow, m.Int(18), std::string(m.Text(22, 16)), m.Int(38), 0});
}

void NetworkAudioUnit::OnRxFlow(const CommandMessage& m) {
    const bool set = IsSet(m, {C::scrrxflow});
    if (m.status != 0) {
        if (set)
            context_.events.Publish(FlowRefused{false, m.status});
        return;
    }
    const std::int32_t flow = m.Int(14);
    if (!InRange(flow, 1, kFlows))
        return;
    velmar::RxFlow& entry = flows_.rxFlows[At(flow)];
    if (!set || m.Int(18) >= 1) {
        entry = {flow, m.Int(18), m.Int(22), m.Int(26)};
    } else {
        entry = {};
    }
    if (m.Int(18) == 0)
        context_.events.Publish(IpChannelsChanged{false});
    context_.events.Publish(FlowReported{false, flow, m.Int(18), {}, m.Int(22), m.Int(26)});
}

void NetworkAudioUnit::OnFlowSlot(const CommandMessage& m) {
    const bool set = IsSet(m, {C::stxflowslot, C::srxflowslot});
    const bool transmit = IsSet(m, {C::gtxflowslot, C::stxflowslot});
    const std::int32_t flow = m.Int(14);
    const std::int32_t slot = m.Int(18);
    if (m.status != 0) {
        if (set)
            context_.events.Publish(FlowSlotRefused{transmit, flow, slot, m.status});
        return;
    }
    if (!InRange(flow, 1, kFlows) || !InRange(slot, 0, kSlots - 1))
        return;
    auto& slotCount = transmit ? flows_.txFlowSlots : flows_.rxFlowSlots;
    slotCount[At(flow)][static_cast<std::size_t>(slot)] = {flow, slot, m.Int(22)};
    context_.events.Publish(IpChannelsChanged{transmit});
    context_.events.Publish(FlowSlotReported{transmit, flow, slot, m.Int(22)});
}

void NetworkAudioUnit::OnCrossIp(const CommandMessage& m) {
    if (m.status != 0) {
        context_.events.Publish(CrossIpRefused{m.Int(14), m.status});
        return;
    }
    context_.events.Publish(CrossIpReported{m.Int(14), std::string(m.Text(18, 32)),
                                            std::string(m.Text(50, 32)), std::string(m.Text(82, 32))});
}

}  // namespace velmar
