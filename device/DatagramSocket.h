#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace velmar {

// An ephemeral UDP socket for the echo probe. Every call returns at once.
class DatagramSocket {
  public:
    virtual ~DatagramSocket() = default;
    // False when no socket can be created at all.
    virtual bool Open() = 0;
    // Number of bytes sent, or nothing on failure.
    virtual std::optional<std::size_t> SendTo(std::uint32_t address, std::uint16_t port,
                                              std::span<const char> bytes) = 0;
    // The next waiting datagram (at most into.size() bytes kept) or nothing when none is waiting.
    virtual std::optional<std::size_t> TryReceive(std::span<char> into) = 0;
    virtual void Close() = 0;
};

}  // namespace velmar
