#include "cli/CliFeatureList.h"

#include <algorithm>
#include <array>
#include <optional>
#include <sstream>

#include "cli/CliApp.h"
#include "cli/FrameConnection.h"
#include "cli/HeadlessConsole.h"
#include "cli/StatusReport.h"
#include "device/EchoProbe.h"
#include "device/Session.h"
#include "device/discovery/posix/FrameDiscovery.h"
#include "device/posix/PosixDatagramSocket.h"
#include "device/posix/PosixEventLoop.h"
#include "device/posix/PosixTimerService.h"
#include "protocol/Ipv4Address.h"

namespace velmar {

namespace {

using namespace std::chrono_literals;

int Discover(const CliOptions& options, const CliStreams& streams) {
    const FrameDiscoveryResult found = DiscoverFrames();
    if (!found.error.empty()) {
        streams.err << "velmar-cli: " << found.error << "\n";
        return kExitFailure;
    }
    (options.json ? PrintDevicesJson : PrintDevices)(streams.out, found.rows);
    return kExitOk;
}

int Probe(const CliOptions& options, const CliStreams& streams) {
    const auto address = ParseIpv4(options.address);
    if (!address) {
        streams.err << "velmar-cli: bad address " << options.address << "\n";
        return kExitUsage;
    }
    PosixEventLoop loop;
    PosixTimerService timers(loop);
    PosixDatagramSocket socket(loop);
    EchoProbe probe(socket, timers);
    std::optional<bool> answered;
    probe.Start(*address, LinkPorts::FromEnvironment().echo, 1000ms, [&](bool ok) { answered = ok; });
    loop.RunUntil([&] { return answered.has_value(); }, 2000ms);
    if (answered.value_or(false)) {
        streams.out << options.address << " answers the echo probe\n";
        return kExitOk;
    }
    streams.err << options.address << ": no echo, target not responding\n";
    return kExitNotResponding;
}
int Status(const CliOptions& options, const CliFrame& frame, const CliStreams& streams) {
    (options.json ? PrintStatusJson : PrintStatus)(streams.out, frame.session, frame.console.ReadRequests());
    return frame.ReadResult(streams.err, {CommandCode::lcross, CommandCode::lmaininpstatus});
}

constexpr std::array kIdentityCommands{
    CliCommand{
        .word = "discover",
        .usage =
            "  discover            list the frames that answer the discovery broadcast (VELMAR_INTERFACES)\n",
        .options = AddJsonOption,
        .run = Discover,
    },
    CliCommand{
        .word = "probe",
        .operands = 1,
        .usage = "  probe ADDR          send the UDP echo probe and say whether the frame answers\n",
        .run = Probe,
    },
    CliCommand{
        .word = "status",
        .operands = 1,
        .usage = "  status ADDR         connect, read the whole frame and print it\n",
        .options = AddJsonOption,
        .run = OnReadFrame<IncompleteRead::Shows, Status>,
    },
};

}  // namespace

CliFeature IdentityCliFeature() {
    return {kIdentityCommands, {}};
}

}  // namespace velmar
