#include "platform/qt/DiscoveryListener.h"

#include <QByteArray>
#include <QHostAddress>
#include <QNetworkProxy>
#include <span>

#include "device/discovery/BroadcastTargets.h"
#include "device/discovery/DiscoveryDatagram.h"

namespace velmar {

DiscoveryListener::DiscoveryListener(PendingAnswers& pending, QObject* parent)
    : QObject(parent), pending_(pending) {
    socket_.setProxy(QNetworkProxy::NoProxy);
    connect(&socket_, &QUdpSocket::readyRead, this, &DiscoveryListener::ReadAll);
}

bool DiscoveryListener::Bind(std::uint16_t port) {
    localBroadcasts_ = LocalBroadcastAddresses();
    return socket_.bind(QHostAddress(QHostAddress::AnyIPv4), port,
                        QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint);
}

void DiscoveryListener::ReadAll() {
    QByteArray datagram;
    while (socket_.hasPendingDatagrams()) {
        // Read one byte more than an answer may hold, so an oversized datagram shows as such
        // instead of being cut down to something that passes.
        datagram.resize(static_cast<qsizetype>(kMaxDiscoveryDatagram + 1));
        QHostAddress sender;
        const qint64 size = socket_.readDatagram(datagram.data(), datagram.size(), &sender);
        if (size < 0)
            continue;
        const std::string address = QHostAddress(sender.toIPv4Address()).toString().toStdString();
        auto entry =
            AcceptDiscoveryAnswer(std::span<const char>(datagram.constData(), static_cast<std::size_t>(size)),
                                  address, localBroadcasts_);
        if (entry && pending_.Append(std::move(*entry)))
            emit answerAccepted();
    }
}

}  // namespace velmar
