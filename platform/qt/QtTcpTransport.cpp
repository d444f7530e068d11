#include "platform/qt/QtTcpTransport.h"

#include <QHostAddress>
#include <QNetworkProxy>
#include <QTimer>

namespace velmar {

namespace {

// A socket closed by us gets this long to hand its last requests (a restart) to the frame.
constexpr int kLingerMs = 2000;

}  // namespace

QtTcpTransport::~QtTcpTransport() {
    listener_ = nullptr;
    Release(false);
}

int QtTcpTransport::Connect(std::uint32_t address, std::uint16_t port) {
    Release(false);
    auto* socket = new QTcpSocket(this);
    // Frames sit on the local network; a desktop proxy setting must not reroute the link.
    socket->setProxy(QNetworkProxy::NoProxy);
    socket_ = socket;
    connected_ = false;
    connect(
        socket, &QTcpSocket::connected, this, [this, socket] { OnConnected(socket); }, Qt::QueuedConnection);
    connect(
        socket, &QTcpSocket::errorOccurred, this, [this, socket] { OnError(socket); }, Qt::QueuedConnection);
    connect(
        socket, &QTcpSocket::readyRead, this, [this, socket] { OnReadyRead(socket); }, Qt::QueuedConnection);
    connect(
        socket, &QTcpSocket::disconnected, this, [this, socket] { OnDisconnected(socket); },
        Qt::QueuedConnection);
    socket->connectToHost(QHostAddress(address), port);
    socket->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    return 0;
}

void QtTcpTransport::Send(std::span<const char> bytes) {
    if (socket_ == nullptr || bytes.empty())
        return;
    if (socket_->bytesToWrite() + static_cast<qint64>(bytes.size()) > kMaxQueuedBytes) {
        Fail();
        return;
    }
    socket_->write(bytes.data(), static_cast<qint64>(bytes.size()));
}

ReceiveResult QtTcpTransport::Receive(std::span<char> into) {
    if (socket_ == nullptr)
        return {ReceiveResult::Kind::Closed, 0};
    if (socket_->bytesAvailable() <= 0 || into.empty()) {
        return {connected_ && socket_->state() != QAbstractSocket::ConnectedState
                    ? ReceiveResult::Kind::Closed
                    : ReceiveResult::Kind::Nothing,
                0};
    }
    const qint64 count = socket_->read(into.data(), static_cast<qint64>(into.size()));
    if (count < 0)
        return {ReceiveResult::Kind::Error, 0};
    return {ReceiveResult::Kind::Data, static_cast<std::size_t>(count), socket_->bytesAvailable() == 0};
}

void QtTcpTransport::Close() {
    Release(true);
}

void QtTcpTransport::OnConnected(QTcpSocket* socket) {
    if (socket != socket_ || connected_)
        return;
    connected_ = true;
    if (listener_ != nullptr)
        listener_->OnConnected(0);
    // Bytes that came with the connection were signalled before we listened for them.
    if (socket == socket_ && socket_->bytesAvailable() > 0)
        OnReadyRead(socket);
}

void QtTcpTransport::OnError(QTcpSocket* socket) {
    if (socket != socket_)
        return;
    if (connected_) {
        // A broken link reads as a close; the remaining bytes are dropped with it.
        OnDisconnected(socket);
        return;
    }
    const int error = static_cast<int>(socket->error()) + 1;
    Release(false);
    if (listener_ != nullptr)
        listener_->OnConnected(error);
}

void QtTcpTransport::OnReadyRead(QTcpSocket* socket) {
    if (socket != socket_ || !connected_ || inReadable_)
        return;
    inReadable_ = true;
    if (listener_ != nullptr)
        listener_->OnReadable();
    inReadable_ = false;
    // The listener may stop early to keep the loop responsive; what is left comes next turn.
    if (socket == socket_ && socket_->bytesAvailable() > 0) {
        QTimer::singleShot(0, this, [this, socket] { OnReadyRead(socket); });
    }
}

void QtTcpTransport::OnDisconnected(QTcpSocket* socket) {
    if (socket != socket_ || !connected_)
        return;
    Fail();
}

void QtTcpTransport::Fail() {
    const bool wasConnected = connected_;
    Release(false);
    if (wasConnected && listener_ != nullptr)
        listener_->OnClosed();
}

void QtTcpTransport::Release(bool graceful) {
    QTcpSocket* socket = socket_;
    socket_ = nullptr;
    connected_ = false;
    if (socket == nullptr)
        return;
    socket->disconnect(this);
    if (graceful && socket->state() == QAbstractSocket::ConnectedState) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(kLingerMs, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        socket->disconnectFromHost();
        return;
    }
    socket->abort();
    socket->deleteLater();
}

}  // namespace velmar
