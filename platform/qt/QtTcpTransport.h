#pragma once

#include <QObject>
#include <QPointer>
#include <QTcpSocket>
#include <cstddef>

#include "device/LineTransport.h"

namespace velmar {

// The link's TCP stream on the Qt event loop. Every socket event reaches the listener through
// a queued call, so the listener is never entered from inside Connect, Send, Receive or Close,
// and never while it is still busy with an earlier event.
class QtTcpTransport final : public QObject, public LineTransport {
    Q_OBJECT

  public:
    // What a frame that stops reading may leave queued; beyond it the link is dropped.
    static constexpr qint64 kMaxQueuedBytes = 4 << 20;

    explicit QtTcpTransport(QObject* parent = nullptr) : QObject(parent) {}
    ~QtTcpTransport() override;

    void SetListener(TransportListener* listener) override { listener_ = listener; }
    int Connect(std::uint32_t address, std::uint16_t port) override;
    void Send(std::span<const char> bytes) override;
    ReceiveResult Receive(std::span<char> into) override;
    void Close() override;
    bool IsOpen() const override { return socket_ != nullptr; }

  private:
    void OnConnected(QTcpSocket* socket);
    void OnError(QTcpSocket* socket);
    void OnReadyRead(QTcpSocket* socket);
    void OnDisconnected(QTcpSocket* socket);
    void Fail();
    // Lets go of the socket: pending output still goes out, then the socket deletes itself.
    void Release(bool graceful);

    TransportListener* listener_ = nullptr;
    QPointer<QTcpSocket> socket_;
    bool connected_ = false;
    bool inReadable_ = false;
};

}  // namespace velmar
