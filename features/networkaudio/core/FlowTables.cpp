#include "features/networkaudio/core/FlowTables.h"

#include <algorithm>

#include "protocol/Ipv4Address.h"

namespace velmar {

namespace {

bool ValidFlow(std::int32_t flow) {
    return flow >= 1 && flow <= kMaxFlowId;
}

std::size_t Index(std::int32_t flow) {
    return static_cast<std::size_t>(flow - 1);
}

std::optional<FlowProblem> CheckCommon(const FlowTables& tables, bool transmit, std::int32_t flow,
                                       std::int32_t slotCount, std::int32_t port) {
    if (slotCount < 1 || slotCount > kMaxFlowSlots)
        return FlowProblem{false, "A flow has 1 to 8 slots."};
    if (!ValidFlow(flow))
        return FlowProblem{false, "Flow IDs are 1 to 32."};
    for (std::int32_t id : tables.Ids(transmit)) {
        if (id == flow)
            return FlowProblem{true, "ID in use"};
        if (tables.Find(transmit, id)->port == port)
            return FlowProblem{true, "Port in use"};
    }
    return std::nullopt;
}

}  // namespace

std::string FlowEntry::ChannelsText() const {
    std::string text;
    const std::int32_t shown = std::clamp(slotCount, 0, kMaxFlowSlots);
    for (std::int32_t slot = 0; slot < shown; ++slot) {
        if (slot > 0)
            text += ", ";
        text += std::to_string(channels[static_cast<std::size_t>(slot)]);
    }
    return text;
}

bool FlowTables::Apply(const FlowReported& report) {
    if (!ValidFlow(report.flow))
        return false;
    FlowEntry& entry = Side(report.transmit)[Index(report.flow)];
    if (report.slotCount < 1) {
        entry = {};
        return true;
    }
    const auto channels = entry.channels;
    entry = {report.slotCount, report.address, report.port, report.latency, channels};
    return true;
}

bool FlowTables::ApplySlot(const FlowSlotReported& report) {
    if (!ValidFlow(report.flow) || report.slot < 0 || report.slot >= kMaxFlowSlots)
        return false;
    Side(report.transmit)[Index(report.flow)].channels[static_cast<std::size_t>(report.slot)] =
        report.channel;
    return true;
}

void FlowTables::Clear() {
    tx_ = {};
    rx_ = {};
}

const FlowEntry* FlowTables::Find(bool transmit, std::int32_t flow) const {
    if (!ValidFlow(flow))
        return nullptr;
    const FlowEntry& entry = Side(transmit)[Index(flow)];
    return entry.slotCount > 0 ? &entry : nullptr;
}

std::vector<std::int32_t> FlowTables::Ids(bool transmit) const {
    std::vector<std::int32_t> ids;
    for (std::int32_t flow = 1; flow <= kMaxFlowId; ++flow) {
        if (Find(transmit, flow) != nullptr)
            ids.push_back(flow);
    }
    return ids;
}

std::vector<std::int32_t> FlowSlotChannels(std::int32_t flow, std::int32_t slotCount) {
    std::vector<std::int32_t> channels;
    if (slotCount < 2 || slotCount > kMaxFlowSlots || slotCount % 2 != 0 || !ValidFlow(flow))
        return channels;
    for (std::int32_t slot = 0; slot < slotCount; ++slot)
        channels.push_back(((flow - 1) * slotCount + slot) % kIpChannels + 1);
    return channels;
}

std::optional<std::string> TxAddressProblem(std::string_view address,
                                            const std::vector<std::string>& ownAddresses) {
    const std::string text(address);
    const std::optional<std::uint32_t> parsed = ParseIpv4(text);
    if (!parsed)
        return "\"" + text + "\" is not an address.";
    if (*parsed == 0)
        return std::string("0.0.0.0 is no destination.");
    if (*parsed == 0xFFFFFFFFu)
        return std::string("255.255.255.255 would send the flow to every device of the network.");
    for (const std::string& own : ownAddresses) {
        if (!own.empty() && ParseIpv4(own) == parsed)
            return text + " is the frame itself or a frame in the device list.";
    }
    return std::nullopt;
}

std::optional<FlowProblem> CheckTxFlow(const FlowTables& tables, const TxFlowRequest& request,
                                       const std::vector<std::string>& ownAddresses) {
    if (auto problem = TxAddressProblem(request.address, ownAddresses))
        return FlowProblem{false, std::move(*problem)};
    return CheckCommon(tables, true, request.flow, request.slotCount, request.port);
}

std::optional<FlowProblem> CheckRxFlow(const FlowTables& tables, const RxFlowRequest& request,
                                       std::int32_t maxLatency) {
    if (auto problem = CheckCommon(tables, false, request.flow, request.slotCount, request.port))
        return problem;
    if (request.latency > maxLatency)
        return FlowProblem{true, LatencyAboveMaximum(maxLatency)};
    return std::nullopt;
}

std::vector<std::string> FrameAddresses(const DeviceState& state, const ConnectionState& connection) {
    return {std::string(connection.targetIpText.View()), std::string(state.config.lan.ip.View()),
            std::string(state.config.danteLan.ip.View())};
}

std::string LatencyAboveMaximum(std::int32_t maxLatency) {
    return "Rx latency is above maximum which is " + std::to_string(maxLatency) + " us";
}

std::int32_t NextFree(std::int32_t reported, std::int32_t field, std::int32_t last) {
    return reported == field && field < last ? field + 1 : field;
}

}  // namespace velmar
