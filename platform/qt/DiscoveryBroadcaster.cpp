#include "platform/qt/DiscoveryBroadcaster.h"

#include <QHostAddress>
#include <QNetworkProxy>
#include <QUdpSocket>

#include "device/discovery/BroadcastTargets.h"

namespace velmar {

int DiscoveryBroadcaster::Send(std::string_view datagram) const {
    int sent = 0;
    for (const BroadcastTarget& target : LocalBroadcastTargets()) {
        QUdpSocket socket;
        socket.setProxy(QNetworkProxy::NoProxy);
        if (!socket.bind(QHostAddress(target.source), 0))
            continue;
        if (socket.writeDatagram(datagram.data(), static_cast<qint64>(datagram.size()),
                                 QHostAddress(target.broadcast),
                                 port_) == static_cast<qint64>(datagram.size())) {
            ++sent;
        }
    }
    return sent;
}

}  // namespace velmar
