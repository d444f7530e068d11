#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
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
    // Called on the owner's loop when a datagram is waiting, so the reader need not wait for its
    // next look. A socket that cannot tell leaves it uncalled; TryReceive still works.
    virtual void SetReadableCallback(std::function<void()> callback) = 0;
};

}  // namespace velmar
