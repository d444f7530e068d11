#include "device/features/netaudio/NetworkAudioUnit.h"

#include <string>

#include "device/FieldBindings.h"
#include "device/features/netaudio/NetworkAudioEvents.h"
#include "protocol/WireText.h"

namespace velmar {

using C = CommandCode;

NetworkAudioUnit::NetworkAudioUnit(FeatureContext& context) : context_(context) {
    Dispatcher& d = context.dispatcher;
    context.StoreRepliesOf({C::gbkip, C::gbksecip, C::gbkname, C::gswmodeip, C::sswmodeip, C::gsrenaip,
                            C::ssrenaip, C::guniclkip, C::suniclkip, C::gautorouteip, C::sautorouteip,
                            C::gmaxlatencyip, C::grxportrng});
    d.On(C::gframeip, [this](const CommandMessage& m, bool) {
        context_.state.config.danteFrame = m.status != 0 ? 0 : m.Int(46);
    });
    d.On(C::glatencyip, [this](const CommandMessage& m, bool) {
        context_.state.config.danteLatency = m.status != 0 ? 0 : m.Int(46);
    });
    d.On(C::sperformip, [this](const CommandMessage& m, bool) {
        if (m.status != 0)
            return;
        context_.state.config.danteFrame = m.Int(50);
        context_.state.config.danteLatency = m.Int(46);
    });
    for (C code : {C::gcrtxflow, C::scrtxflow})
        d.On(code, [this](const CommandMessage& m, bool) { TxFlow(m); });
    for (C code : {C::gcrrxflow, C::scrrxflow})
        d.On(code, [this](const CommandMessage& m, bool) { RxFlow(m); });
    for (C code : {C::gtxflowslot, C::stxflowslot, C::grxflowslot, C::srxflowslot})
        d.On(code, [this](const CommandMessage& m, bool) { FlowSlot(m); });
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
    CommandMessage message;
    message.SetText(14, 32, DanteHostName());
    message.SetInt(50, context_.state.config.danteFrame);
    message.SetInt(46, context_.state.config.danteLatency);
    context_.requests.SendRecord(message, C::sperformip);
}

void NetworkAudioUnit::DanteQuery(CommandCode code) {
    context_.requests.SendText(code, {}, 14, 32, DanteHostName(), "A Dante device name");
}

void NetworkAudioUnit::TxFlow(const CommandMessage& m) {
    const bool set = m.code == ToCode(C::scrtxflow);
    const std::int32_t flow = m.Int(14);
    if ((!set && m.status != 0) || !InRange(flow, 1, static_cast<std::int32_t>(kFlowCount)))
        return;
    velmar::TxFlow& entry = context_.state.live.txFlows[At(flow)];
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
}

void NetworkAudioUnit::RxFlow(const CommandMessage& m) {
    const bool set = m.code == ToCode(C::scrrxflow);
    const std::int32_t flow = m.Int(14);
    if ((!set && m.status != 0) || !InRange(flow, 1, static_cast<std::int32_t>(kFlowCount)))
        return;
    velmar::RxFlow& entry = context_.state.live.rxFlows[At(flow)];
    if (!set || m.Int(18) >= 1) {
        entry = {flow, m.Int(18), m.Int(22), m.Int(26)};
    } else {
        entry = {};
    }
    if (m.Int(18) == 0)
        context_.events.Publish(IpChannelsChanged{false});
}

void NetworkAudioUnit::FlowSlot(const CommandMessage& m) {
    const auto code = static_cast<CommandCode>(m.code);
    const bool set = code == C::stxflowslot || code == C::srxflowslot;
    const bool transmit = code == C::gtxflowslot || code == C::stxflowslot;
    const std::int32_t flow = m.Int(14);
    const std::int32_t slot = m.Int(18);
    if ((!set && m.status != 0) || !InRange(flow, 1, static_cast<std::int32_t>(kFlowCount)) ||
        !InRange(slot, 0, static_cast<std::int32_t>(kFlowSlots) - 1)) {
        return;
    }
    auto& slots = transmit ? context_.state.live.txFlowSlots : context_.state.live.rxFlowSlots;
    slots[At(flow)][static_cast<std::size_t>(slot)] = {flow, slot, m.Int(22)};
    context_.events.Publish(IpChannelsChanged{transmit});
}

}  // namespace velmar
