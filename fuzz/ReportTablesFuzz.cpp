// Whatever a frame reports, fed through the session to the tables the PPM and IP routing
// windows and velmar-cli keep: the tables stay within the frame's bounds (32 PPM streams with
// 255 channels each, flows 1..32 with 8 slots, 64 route channels), and every row they hold is
// one the frame could have. The input is the frame's bytes; every 256 of them arrive in one
// receive, with 100 ms between receives so that polls and watchdogs run.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "device/Session.h"
#include "features/networkaudio/core/FlowTables.h"
#include "features/networkaudio/core/IpRouteTable.h"
#include "features/ppm/core/PpmStreamTable.h"
#include "tests/device/CoreFakes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmar::test::FakeTimerService timers;
    velmar::test::RecordingTransport transport;
    velmar::test::FakeDatagramSocket datagrams;
    velmar::Session session(transport, datagrams, timers, velmar::LinkPorts{}, velmar::ConsoleOptions{});
    velmar::PpmStreamTable streams;
    velmar::FlowTables flows;
    velmar::IpRouteTable routes;
    velmar::EventHub& events = session.Events();
    velmar::Subscriptions subscriptions;
    subscriptions.push_back(events.Subscribe<velmar::PpmStreamReported>(
        [&](const velmar::PpmStreamReported& e) { streams.Apply(e); }));
    subscriptions.push_back(events.Subscribe<velmar::PpmStreamRemoved>(
        [&](const velmar::PpmStreamRemoved& e) { streams.Remove(e.id); }));
    subscriptions.push_back(events.Subscribe<velmar::PpmEnableReported>(
        [&](const velmar::PpmEnableReported& e) { streams.SetEnabled(e.id, e.enabled); }));
    subscriptions.push_back(events.Subscribe<velmar::PpmAssignmentReported>(
        [&](const velmar::PpmAssignmentReported& e) { streams.Assign(e); }));
    subscriptions.push_back(
        events.Subscribe<velmar::FlowReported>([&](const velmar::FlowReported& e) { flows.Apply(e); }));
    subscriptions.push_back(events.Subscribe<velmar::FlowSlotReported>(
        [&](const velmar::FlowSlotReported& e) { flows.ApplySlot(e); }));
    subscriptions.push_back(events.Subscribe<velmar::CrossIpReported>(
        [&](const velmar::CrossIpReported& e) { routes.Apply(e); }));

    session.Connect("127.0.0.2", velmar::DeviceMode::Application, velmar::ModelClass{});
    timers.Advance(std::chrono::milliseconds(250));
    transport.FinishConnect(0);
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (std::size_t at = 0; at < bytes.size(); at += 256) {
        transport.Deliver(std::string(bytes.substr(at, 256)));
        timers.Advance(std::chrono::milliseconds(100));
        transport.sent.clear();
    }

    if (streams.Streams().size() > velmar::kMaxPpmStreams)
        __builtin_trap();
    for (const velmar::PpmStream& stream : streams.Streams()) {
        if (stream.id == 0 || stream.address.empty() || streams.Find(stream.id) != &stream)
            __builtin_trap();
        stream.AssignmentText();
    }
    for (const bool transmit : {true, false}) {
        for (const std::int32_t flow : flows.Ids(transmit)) {
            if (flow < 1 || flow > velmar::kMaxFlowId)
                __builtin_trap();
            flows.Find(transmit, flow)->ChannelsText();
        }
    }
    for (std::int32_t channel = 1; channel <= velmar::kIpRouteChannels; ++channel) {
        if (const velmar::IpRoute* route = routes.Find(channel);
            route && !velmar::IpRouteSourceChannel(route->sourceChannel))
            __builtin_trap();
    }
    session.Disconnect();
    return 0;
}
