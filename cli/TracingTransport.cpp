#include "cli/TracingTransport.h"

#include <cstdio>

namespace velmar {

namespace {

// A line without its end can still be long; the trace shows this much of it.
constexpr std::size_t kMaxPendingTrace = 4096;

}  // namespace

TracingTransport::TracingTransport(LineTransport& inner, std::ostream& out) : inner_(inner), out_(out) {
    inner_.SetListener(this);
}

int TracingTransport::Connect(std::uint32_t address, std::uint16_t port) {
    char text[64];
    std::snprintf(text, sizeof text, "connect %u.%u.%u.%u:%u", address >> 24, (address >> 16) & 0xFF,
                  (address >> 8) & 0xFF, address & 0xFF, port);
    Line(text);
    return inner_.Connect(address, port);
}

void TracingTransport::Send(std::span<const char> bytes) {
    Emit('>', sentPending_, bytes);
    inner_.Send(bytes);
}

ReceiveResult TracingTransport::Receive(std::span<char> into) {
    const ReceiveResult result = inner_.Receive(into);
    if (result.kind == ReceiveResult::Kind::Data)
        Emit('<', receivedPending_, into.first(result.count));
    return result;
}

void TracingTransport::Close() {
    if (inner_.IsOpen())
        Line("close");
    sentPending_.clear();
    receivedPending_.clear();
    inner_.Close();
}

void TracingTransport::OnConnected(int error) {
    Line(error == 0 ? std::string("connected") : "connect failed: error " + std::to_string(error));
    listener_->OnConnected(error);
}

void TracingTransport::OnClosed() {
    Line("closed by the frame");
    listener_->OnClosed();
}

void TracingTransport::Emit(char direction, std::string& pending, std::span<const char> bytes) {
    for (char c : bytes) {
        if (c == '\r') {
            Line(std::string(1, direction) + " " + pending);
            pending.clear();
        } else if (pending.size() < kMaxPendingTrace) {
            // Control bytes from a misbehaving frame would garble the terminal.
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x20 || byte >= 0x7F) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
                pending += escaped;
            } else {
                pending += c;
            }
        }
    }
}

void TracingTransport::Line(const std::string& text) {
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "[%10.3f ms] ", ms);
    out_ << stamp << text << '\n';
}

}  // namespace velmar
