// The dispatcher's cost per reply, and the whole receive path (framing, parsing, dispatch) per
// line, on a mix of the replies a connected console sees most.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "device/DeviceModel.h"
#include "device/Dispatcher.h"
#include "device/Session.h"
#include "features/channeltools/core/ChannelToolsUnit.h"
#include "features/clock/core/ClockEvents.h"
#include "features/clock/core/ClockUnit.h"
#include "features/identity/core/IdentityUnit.h"
#include "features/interfaces/core/InterfacesUnit.h"
#include "features/routing/core/RoutingEvents.h"
#include "features/routing/core/RoutingUnit.h"

namespace velmar {
namespace {

class NullSink final : public RequestSink {
  public:
    void SendRequest(CommandMessage&) override {}
};

class NullTimers final : public TimerService {
  public:
    TimerHandle Start(std::string_view, std::chrono::milliseconds, TimerMode,
                      std::function<void()>) override {
        return {};
    }
    std::chrono::system_clock::time_point WallTime() const override { return {}; }

  private:
    void Cancel(std::uint64_t) override {}
    bool IsRunning(std::uint64_t) const override { return false; }
};

class NullPoll final : public PollSchedule {
  public:
    void PollStateIn(std::chrono::milliseconds) override {}
    void RequestCardsIn(std::chrono::milliseconds) override {}
    void StartSequence() override {}
};

std::vector<std::string> ReplyMix() {
    std::string run = ":lcross,0,129,128";
    for (int i = 0; i < 128; ++i)
        run += "," + std::to_string(513 + i % 16);
    return {"%gcross,12,600",
            ":scross,0,13,601,0,0",
            ":gactrate,0,2",
            ":gsyncstat,0,1,0",
            ":gadmute,0,2,3,1",
            ":gadmiclevel,0,2,3,-12.50",
            ":gmadioutmode,0,2,1,0,1",
            "%gpsustatus,1,0",
            ":ghwconf,0,10,1,'K5A0130001','ad card'",
            ":gswver,0,5,'FPGA','1.2.0.0'",
            ":gcifstatus,0,5,1,'abc'",
            run};
}

void BM_DispatchReply(benchmark::State& bench) {
    DeviceState state;
    state.ResetState();
    ConnectionState connection;
    connection.connected = true;
    state.config.swVer[1].versions[0].Assign("2.0.0.1");
    connection.capabilities = CapabilitiesOf(state, ModelClass::Full);
    MessageCodec codec;
    NullSink sink;
    NullTimers timers;
    NullPoll poll;
    EventHub events;
    RequestWriter requests(sink, state);
    Dispatcher dispatcher;
    RequestOutcomes outcomes(timers);
    FeatureContext context{state,      connection, codec,    requests, timers, events,
                           dispatcher, poll,       outcomes, {},       [] {}};
    // The units whose words the mix carries, with a listener on each event a window would hear.
    IdentityUnit identity(context);
    ClockUnit clock(context);
    InterfacesUnit interfaces(context);
    RoutingUnit routing(context);
    ChannelToolsUnit channelTools(context);
    int heard = 0;
    Subscriptions windows;
    windows.push_back(events.Subscribe<CrosspointChanged>([&heard](const CrosspointChanged&) { ++heard; }));
    windows.push_back(events.Subscribe<SampleRateChanged>([&heard](const SampleRateChanged&) { ++heard; }));
    windows.push_back(events.Subscribe<SyncStatusChanged>([&heard](const SyncStatusChanged&) { ++heard; }));

    std::vector<CommandMessage> records;
    for (std::string line : ReplyMix()) {
        line += '\r';
        CommandMessage record;
        codec.Read(std::span<char>(line.data(), line.size()), record);
        records.push_back(record);
    }
    std::size_t i = 0;
    for (auto _ : bench) {
        const CommandMessage& record = records[i];
        dispatcher.Dispatch(record, (record.flags & MessageFlags::kReply) != 0);
        i = i + 1 == records.size() ? 0 : i + 1;
    }
    benchmark::DoNotOptimize(heard);
    bench.SetItemsProcessed(bench.iterations());
}
BENCHMARK(BM_DispatchReply);

// Hands the same bytes to the link again and again, as a receive notification would.
class ReplayTransport final : public LineTransport {
  public:
    explicit ReplayTransport(std::string bytes) : bytes_(std::move(bytes)) {}
    void SetListener(TransportListener* listener) override { listener_ = listener; }
    int Connect(std::uint32_t, std::uint16_t) override {
        open_ = true;
        return 0;
    }
    void Send(std::span<const char>) override {}
    ReceiveResult Receive(std::span<char> into) override {
        if (offset_ == bytes_.size())
            return {};
        const std::size_t n = std::min(into.size(), bytes_.size() - offset_);
        bytes_.copy(into.data(), n, offset_);
        offset_ += n;
        return {ReceiveResult::Kind::Data, n};
    }
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }

    void Replay() {
        offset_ = 0;
        while (offset_ < bytes_.size())
            listener_->OnReadable();
    }
    void FinishConnect() { listener_->OnConnected(0); }

  private:
    TransportListener* listener_ = nullptr;
    std::string bytes_;
    std::size_t offset_ = 0;
    bool open_ = false;
};

class NoDatagrams final : public DatagramSocket {
  public:
    bool Open() override { return false; }
    std::optional<std::size_t> SendTo(std::uint32_t, std::uint16_t, std::span<const char>) override {
        return std::nullopt;
    }
    std::optional<std::size_t> TryReceive(std::span<char>) override { return std::nullopt; }
    void Close() override {}
    void SetReadableCallback(std::function<void()>) override {}
};

void BM_ReceivePathPerLine(benchmark::State& bench) {
    std::string bytes;
    const std::vector<std::string> mix = ReplyMix();
    for (const std::string& line : mix)
        bytes += line + "\r";
    ReplayTransport transport(bytes);
    NoDatagrams datagrams;
    NullTimers timers;
    Session session(transport, datagrams, timers, LinkPorts{}, ConsoleOptions{});
    session.Connect("127.0.0.2", DeviceMode::Application, ModelClass::Full);
    transport.FinishConnect();
    for (auto _ : bench)
        transport.Replay();
    bench.SetItemsProcessed(bench.iterations() * static_cast<std::int64_t>(mix.size()));
    bench.SetBytesProcessed(bench.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_ReceivePathPerLine);

}  // namespace
}  // namespace velmar

BENCHMARK_MAIN();
