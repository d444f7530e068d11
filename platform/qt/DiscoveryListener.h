#pragma once

#include <QObject>
#include <QUdpSocket>
#include <cstdint>
#include <vector>

#include "device/discovery/PendingAnswers.h"

namespace velmar {

// The discovery answer socket, living in the UDP worker thread: it reads every datagram that
// arrives on the console's discovery port, keeps the ones that pass as discovery answers in the
// pending list and announces each one.
class DiscoveryListener final : public QObject {
    Q_OBJECT

  public:
    DiscoveryListener(PendingAnswers& pending, QObject* parent = nullptr);

    // Binds to `port` on every local address, sharing it with other listeners; notes the local
    // networks' broadcast addresses, which no answer may come from.
    bool Bind(std::uint16_t port);

  signals:
    void answerAccepted();

  private:
    void ReadAll();

    PendingAnswers& pending_;
    QUdpSocket socket_;
    std::vector<std::uint32_t> localBroadcasts_;  // no frame answers from one of these
};

}  // namespace velmar
