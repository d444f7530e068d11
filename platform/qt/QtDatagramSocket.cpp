#include "platform/qt/QtDatagramSocket.h"

#include <QByteArray>
#include <QHostAddress>
#include <QNetworkProxy>
#include <algorithm>
#include <cstring>

namespace velmar {

bool QtDatagramSocket::Open() {
    socket_ = std::make_unique<QUdpSocket>();
    socket_->setProxy(QNetworkProxy::NoProxy);
    if (!socket_->bind(QHostAddress(QHostAddress::AnyIPv4), 0)) {
        socket_.reset();
        return false;
    }
    WatchReadable();
    return true;
}

void QtDatagramSocket::SetReadableCallback(std::function<void()> callback) {
    readable_ = std::move(callback);
    WatchReadable();
}

void QtDatagramSocket::WatchReadable() {
    if (socket_ == nullptr)
        return;
    socket_->disconnect();
    if (!readable_)
        return;
    // Queued, so the reader is never entered from inside one of its own calls.
    QObject::connect(
        socket_.get(), &QUdpSocket::readyRead, socket_.get(),
        [this] {
            if (readable_)
                readable_();
        },
        Qt::QueuedConnection);
}

std::optional<std::size_t> QtDatagramSocket::SendTo(std::uint32_t address, std::uint16_t port,
                                                    std::span<const char> bytes) {
    if (socket_ == nullptr)
        return std::nullopt;
    const qint64 sent =
        socket_->writeDatagram(bytes.data(), static_cast<qint64>(bytes.size()), QHostAddress(address), port);
    if (sent < 0)
        return std::nullopt;
    return static_cast<std::size_t>(sent);
}

std::optional<std::size_t> QtDatagramSocket::TryReceive(std::span<char> into) {
    if (socket_ == nullptr || !socket_->hasPendingDatagrams())
        return std::nullopt;
    const qint64 size = socket_->pendingDatagramSize();
    QByteArray datagram(static_cast<qsizetype>(std::max<qint64>(size, 0)), '\0');
    const qint64 count = socket_->readDatagram(datagram.data(), datagram.size());
    if (count < 0)
        return std::nullopt;
    const std::size_t kept = std::min(static_cast<std::size_t>(count), into.size());
    std::memcpy(into.data(), datagram.constData(), kept);
    return kept;
}

}  // namespace velmar
