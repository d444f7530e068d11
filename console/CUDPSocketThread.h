#pragma once

#include <QThread>
#include <atomic>
#include <cstdint>

#include "device/discovery/PendingAnswers.h"

namespace velmar {

// The UDP worker: runs a CUDPSocket on the discovery port in a thread of its own, at idle
// priority, until asked to quit. The pending answers are the only data it shares with the
// window, and they carry their own lock.
class CUDPSocketThread final : public QThread {
    Q_OBJECT

  public:
    CUDPSocketThread(PendingAnswers& pending, std::uint16_t port, QObject* parent = nullptr);
    ~CUDPSocketThread() override;

    void Begin() { start(QThread::IdlePriority); }
    // Ends the thread's loop and waits for it; its socket is closed on the way out.
    void Finish();
    // False when the socket could not be bound (known once the thread has started).
    bool Listening() const { return listening_; }

  signals:
    void answerAccepted();
    void listening(bool ok);

  protected:
    void run() override;

  private:
    PendingAnswers& pending_;
    const std::uint16_t port_;
    std::atomic<bool> listening_{false};
};

}  // namespace velmar
