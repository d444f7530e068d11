#pragma once

#include <memory>
#include <ostream>

#include "cli/TracingTransport.h"
#include "device/posix/PosixDatagramSocket.h"
#include "device/posix/PosixEventLoop.h"
#include "device/posix/PosixTcpTransport.h"
#include "device/posix/PosixTimerService.h"

namespace velmar {

// The loop and sockets of one command's connection; with --trace the link's lines pass a tracer.
struct CliSockets {
    CliSockets(bool trace, std::ostream& err)
        : tracing(trace ? std::make_unique<TracingTransport>(tcp, err) : nullptr) {}

    LineTransport& Link() { return tracing ? static_cast<LineTransport&>(*tracing) : tcp; }

    PosixEventLoop loop;
    PosixTimerService timers{loop};
    PosixTcpTransport tcp{loop};
    PosixDatagramSocket datagrams{loop};
    std::unique_ptr<TracingTransport> tracing;
};

}  // namespace velmar
