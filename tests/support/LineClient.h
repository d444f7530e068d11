#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "protocol/MessageCodec.h"

namespace velmar::test {

// A plain TCP client for tests that talk to a frame line by line, the way a console does.
class LineClient {
  public:
    // Connects to address:port; Connected() tells whether it worked (a refused connection is a
    // result some tests expect).
    LineClient(const std::string& address, std::uint16_t port);
    ~LineClient();
    LineClient(const LineClient&) = delete;
    LineClient& operator=(const LineClient&) = delete;

    bool Connected() const { return fd_ >= 0; }
    void Send(const std::string& bytes);

    // Raw bytes that arrived within `timeout` (after the first byte, until a pause of `quiet`).
    std::string Receive(std::chrono::milliseconds timeout,
                        std::chrono::milliseconds quiet = std::chrono::milliseconds(50));
    // The next complete line (without its carriage return), or nothing in time.
    std::optional<std::string> NextLine(std::chrono::milliseconds timeout = std::chrono::seconds(3));
    // The next line that starts with `prefix`, skipping others (keep-alive requests and the like).
    std::optional<std::string> LineStartingWith(const std::string& prefix,
                                                std::chrono::milliseconds timeout = std::chrono::seconds(3));
    // True when the peer closed the connection within `timeout`.
    bool Closed(std::chrono::milliseconds timeout);

  private:
    int fd_ = -1;
    std::string pending_;
    bool eof_ = false;
};

// Reads one reply line with the codec, as a console would.
CommandMessage ParseReply(MessageCodec& codec, const std::string& line);

}  // namespace velmar::test
