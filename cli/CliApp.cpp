#include "cli/CliApp.h"

#include <memory>
#include <optional>

#include "cli/HeadlessConsole.h"
#include "cli/StatusReport.h"
#include "cli/TracingTransport.h"
#include "device/ChannelMap.h"
#include "device/EchoProbe.h"
#include "device/Session.h"
#include "device/posix/PosixDatagramSocket.h"
#include "device/posix/PosixEventLoop.h"
#include "device/posix/PosixTcpTransport.h"
#include "device/posix/PosixTimerService.h"

namespace velmar {

namespace {

using namespace std::chrono_literals;

// The probe alone needs only the echo timer.
class ProbeTimerRoute final : public TimerListener {
  public:
    explicit ProbeTimerRoute(EchoProbe& probe) : probe_(probe) {}
    void OnTimer(TimerId id) override {
        if (id == TimerId::EchoPeek)
            probe_.OnPeekTimer();
    }

  private:
    EchoProbe& probe_;
};

}  // namespace

int CliApp::Run(const CliOptions& options) {
    switch (options.command) {
        case CliCommand::Help:
            out_ << kCliUsage;
            return kExitOk;
        case CliCommand::Version:
            out_ << "velmar-cli " << VELMAR_VERSION << "\n";
            return kExitOk;
        case CliCommand::Probe:
            return Probe(options);
        case CliCommand::Status:
        case CliCommand::Routes:
        case CliCommand::Route:
            return Connected(options);
    }
    return kExitUsage;
}

int CliApp::Probe(const CliOptions& options) {
    std::uint32_t address = 0;
    if (!ParseIpv4(options.address.c_str(), address)) {
        err_ << "velmar-cli: bad address " << options.address << "\n";
        return kExitUsage;
    }
    PosixEventLoop loop;
    PosixTimerService timers(loop);
    PosixDatagramSocket socket(loop);
    EchoProbe probe(socket, timers);
    ProbeTimerRoute route(probe);
    timers.SetListener(&route);
    std::optional<bool> answered;
    probe.Start(address, LinkPorts::FromEnvironment().echo, 1000ms, [&](bool ok) { answered = ok; });
    loop.RunUntil([&] { return answered.has_value(); }, 2000ms);
    timers.SetListener(nullptr);
    if (answered.value_or(false)) {
        out_ << options.address << " answers the echo probe\n";
        return kExitOk;
    }
    err_ << options.address << ": no echo, target not responding\n";
    return kExitNotResponding;
}

int CliApp::Connected(const CliOptions& options) {
    PosixEventLoop loop;
    PosixTimerService timers(loop);
    PosixTcpTransport tcp(loop);
    PosixDatagramSocket datagrams(loop);
    std::unique_ptr<TracingTransport> tracing;
    LineTransport* transport = &tcp;
    if (options.trace) {
        tracing = std::make_unique<TracingTransport>(tcp, err_);
        transport = tracing.get();
    }
    ConsoleOptions consoleOptions;
    consoleOptions.telnet = options.telnet;
    Session session(*transport, datagrams, timers, LinkPorts::FromEnvironment(), consoleOptions);
    HeadlessConsole console(session);

    session.Connect(options.address, options.mode, options.modelClass);
    loop.RunUntil([&] { return console.FrameRead() || console.ConnectError() || console.LinkLost(); },
                  options.timeout);
    if (console.ConnectError() || (!console.LinkLost() && !session.Connection().connected)) {
        err_ << "velmar-cli: " << kConnectFailedText << "\n";
        return kExitNotResponding;
    }
    if (console.LinkLost()) {
        err_ << "velmar-cli: the frame closed the connection or stopped answering\n";
        return kExitNotResponding;
    }
    if (!console.FrameRead()) {
        err_ << "velmar-cli: the frame answered " << session.Link().RepliesReceived() << " of "
             << session.Link().RequestsSent() << " requests within " << options.timeout.count() << " ms\n";
        session.Disconnect();
        return kExitFailure;
    }

    int result = kExitOk;
    if (options.command == CliCommand::Status) {
        (options.json ? PrintStatusJson : PrintStatus)(out_, session);
    } else if (options.command == CliCommand::Routes) {
        (options.json ? PrintRoutesJson : PrintRoutes)(out_, session);
    } else {
        const std::int32_t channels = session.Channels();
        if (options.output > channels || options.input > channels) {
            err_ << "velmar-cli: this frame has channels 1.." << channels << "\n";
            session.Disconnect();
            return kExitUsage;
        }
        std::optional<std::int32_t> status;
        session.SetRecordObserver([&](const CommandMessage& m, bool isReply) {
            if (isReply && m.code == ToCode(CommandCode::scross) && m.Int(14) == options.output)
                status = m.status;
        });
        session.Request().SetCrosspoint(options.output, options.input);
        loop.RunUntil([&] { return status.has_value() || console.LinkLost(); }, options.timeout);
        if (!status) {
            err_ << "velmar-cli: no answer to the routing request\n";
            result = kExitNotResponding;
        } else if (*status != 0) {
            err_ << "velmar-cli: the frame refused the route (status " << *status << ")\n";
            result = kExitFailure;
        } else {
            const std::int32_t input =
                session.State().live.crosspoints[static_cast<std::size_t>(options.output - 1)];
            out_ << options.output << " " << ChannelName(options.output) << " <- " << input << " "
                 << (input == 0 ? std::string("(disconnected)") : ChannelName(input)) << "\n";
        }
    }
    session.Disconnect();
    return result;
}

}  // namespace velmar
