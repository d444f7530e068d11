// The session's receive path on the core's test fakes: whatever a frame sends, in whatever
// chunks, with the clock moving and the link closing in between. Written against the public
// Session API; the input is a small program of steps:
//   first byte      mode (bits 0-1: application, recovery, mode 2), model class (bits 2-3, modulo 3), telnet
//   (bit 4) 0x00 n bytes    n+1 bytes arrive in one receive notification 0x01 t          the clock moves t *
//   4 ms (timers fire: polls, keep-alives, watchdogs) 0x02            the frame closes the link; the console
//   connects again 0x03 n          the frame reads n requests from the console (they are dropped)
// Any other step byte is taken as 0x00. Crashes, sanitizer reports and hangs are findings.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "device/Session.h"
#include "tests/device/CoreFakes.h"

namespace {

using velmar::DeviceMode;

constexpr DeviceMode kModes[] = {DeviceMode::Application, DeviceMode::Recovery, DeviceMode::Mode2,
                                 DeviceMode::Application};

class Program {
  public:
    Program(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Done() const { return at_ >= size_; }
    std::uint8_t Next() { return Done() ? 0 : data_[at_++]; }
    std::string Take(std::size_t n) {
        n = std::min(n, size_ - at_);
        std::string bytes(reinterpret_cast<const char*>(data_ + at_), n);
        at_ += n;
        return bytes;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmar::test::FakeTimerService timers;
    velmar::test::RecordingTransport transport;
    velmar::test::FakeDatagramSocket datagrams;
    Program program(data, size);
    const std::uint8_t setup = program.Next();
    velmar::ConsoleOptions options;
    options.telnet = (setup & 0x10) != 0;
    velmar::Session session(transport, datagrams, timers, velmar::LinkPorts{}, options);
    // Every event a window would hear has a listener, as it would with the windows open.
    velmar::test::EventRecorder events(session.Events());
    const DeviceMode mode = kModes[setup & 0x3];
    const auto model = static_cast<velmar::ModelClass>(((setup >> 2) & 0x3) % 3);
    const auto connect = [&] {
        session.Connect("127.0.0.2", mode, model);
        timers.Advance(std::chrono::milliseconds(250));  // the echo look and the re-connect pause
        transport.FinishConnect(0);
    };
    connect();
    while (!program.Done()) {
        switch (program.Next()) {
            case 0x01:
                timers.Advance(std::chrono::milliseconds(4 * program.Next()));
                break;
            case 0x02:
                transport.PeerCloses();
                connect();
                break;
            case 0x03:
                transport.sent.clear();
                break;
            default:
                transport.Deliver(program.Take(std::size_t{program.Next()} + 1));
                break;
        }
        // The fakes record every line sent and every event heard; keep a long run flat.
        if (transport.sent.size() > 4096)
            transport.sent.clear();
        if (events.crosspoints.size() > 4096)
            events.crosspoints.clear();
    }
    session.Disconnect();
    return 0;
}
