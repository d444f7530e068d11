#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace velmar {

struct ReceiveResult {
    enum class Kind : std::uint8_t { Data, Nothing, Closed, Error };
    Kind kind = Kind::Nothing;
    std::size_t count = 0;
    // With Data: the platform knows nothing more is waiting, so asking again would only find
    // nothing. False when it cannot tell.
    bool drained = false;
};

// Events of a TCP link. They arrive on the owner's loop, never inside a call into the transport.
class TransportListener {
  public:
    // The connect started by LineTransport::Connect finished; 0 is success, else a platform error.
    virtual void OnConnected(int error) = 0;
    // Bytes are waiting: the listener calls Receive until it reports Nothing or stops early. When
    // it stops with bytes still waiting, the transport signals again on a later turn of the loop.
    virtual void OnReadable() = 0;
    // The peer closed or the link broke; the transport is already closed.
    virtual void OnClosed() = 0;

  protected:
    ~TransportListener() = default;
};

// One TCP stream to a frame. Nothing here blocks: Connect returns at once and reports through the
// listener; Send queues what the socket cannot take yet (bounded by the implementation) and may
// hold bytes until the end of the current turn of the loop, so that a burst leaves in one piece,
// but never longer.
class LineTransport {
  public:
    virtual ~LineTransport() = default;
    virtual void SetListener(TransportListener* listener) = 0;
    // Creates the socket with SO_KEEPALIVE and starts connecting. A non-zero result means nothing
    // was started (the listener hears nothing).
    virtual int Connect(std::uint32_t address, std::uint16_t port) = 0;
    virtual void Send(std::span<const char> bytes) = 0;
    virtual ReceiveResult Receive(std::span<char> into) = 0;
    // Shuts down sending and closes; safe to call when closed. No OnClosed follows.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
};

}  // namespace velmar
