#include "platform/qt/DiscoveryListenerThread.h"

#include "platform/qt/DiscoveryListener.h"

namespace velmar {

DiscoveryListenerThread::DiscoveryListenerThread(PendingAnswers& pending, std::uint16_t port, QObject* parent)
    : QThread(parent), pending_(pending), port_(port) {}

DiscoveryListenerThread::~DiscoveryListenerThread() {
    Finish();
}

void DiscoveryListenerThread::Finish() {
    // Waiting for the end (rather than a bounded time) keeps the thread from touching the
    // pending list after its owner is gone. A quit that comes before the thread's loop has
    // started is lost, so it is repeated until the thread is gone.
    constexpr int kRetryMs = 20;
    if (!isRunning())
        return;
    do {
        quit();
    } while (!wait(QDeadlineTimer(kRetryMs)));
}

bool DiscoveryListenerThread::Begin() {
    if (isRunning())
        return listening_;
    start(QThread::IdlePriority);
    // Binding takes no time; the bound only guards against a thread that never gets to run.
    constexpr int kBindWaitMs = 2000;
    bound_.tryAcquire(1, kBindWaitMs);
    return listening_;
}

void DiscoveryListenerThread::run() {
    DiscoveryListener socket(pending_);
    listening_ = socket.Bind(port_);
    bound_.release();
    if (!listening_)
        return;
    connect(&socket, &DiscoveryListener::answerAccepted, this, &DiscoveryListenerThread::answerAccepted,
            Qt::DirectConnection);
    exec();
    listening_ = false;
}

}  // namespace velmar
