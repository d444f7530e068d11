#pragma once

#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <functional>

namespace velmar::test {

// Runs the event loop itself until `done` holds or `timeout` passes: QTest::qWait sleeps between
// its turns, which would stretch a record exchange of ten thousand round trips to minutes.
inline bool RunLoopUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeout, &loop, &QEventLoop::quit);
    look.start(20);
    if (!done())
        loop.exec();
    return done();
}

}  // namespace velmar::test
