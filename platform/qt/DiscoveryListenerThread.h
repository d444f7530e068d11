#pragma once

#include <QSemaphore>
#include <QThread>
#include <atomic>
#include <cstdint>

#include "device/discovery/PendingAnswers.h"

namespace velmar {

// The UDP worker: runs a DiscoveryListener on the discovery port in a thread of its own, at idle
// priority, until asked to quit. The pending answers are the only data it shares with the
// window, and they carry their own lock.
class DiscoveryListenerThread final : public QThread {
    Q_OBJECT

  public:
    DiscoveryListenerThread(PendingAnswers& pending, std::uint16_t port, QObject* parent = nullptr);
    ~DiscoveryListenerThread() override;

    // Starts the thread and returns once its socket is bound, so no answer to a broadcast sent
    // right after is missed. False when the port cannot be bound: no answer will ever come.
    bool Begin();
    // Ends the thread's loop and waits for it; its socket is closed on the way out.
    void Finish();
    bool Listening() const { return listening_; }

  signals:
    void answerAccepted();

  protected:
    void run() override;

  private:
    PendingAnswers& pending_;
    const std::uint16_t port_;
    QSemaphore bound_;
    std::atomic<bool> listening_{false};
};

}  // namespace velmar
