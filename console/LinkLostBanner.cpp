#include "console/LinkLostBanner.h"

#include <QDateTime>

#include "platform/qt/FrameText.h"

namespace velmar {

LinkLostBanner::LinkLostBanner(Session& session, QWidget* parent) : QLabel(parent), session_(session) {
    setObjectName(QStringLiteral("LinkLostBanner"));
    setWordWrap(true);
    setStyleSheet(
        QStringLiteral("background: #fff0c0; color: #603000; border: 1px solid #c09030; padding: 4px;"));
    hide();
    EventHub& events = session.Events();
    subscriptions_.push_back(events.Subscribe<LinkLost>([this](const LinkLost& e) { Show(e); }));
    subscriptions_.push_back(events.Subscribe<ConnectionChanged>([this](const ConnectionChanged&) {
        if (!session_.Connection().lostSince)
            hide();
    }));
}

void LinkLostBanner::Show(const LinkLost& lost) {
    const QString name = FrameTextToQString(session_.Connection().deviceNameText.View());
    const QString address = QString::fromStdString(lost.address);
    const QString frame = name.isEmpty() ? address : QStringLiteral("%1 (%2)").arg(name, address);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(lost.since.time_since_epoch());
    const QDateTime since = QDateTime::fromMSecsSinceEpoch(ms.count());
    const QString why = lost.reason == LinkLossReason::Silent
                            ? QStringLiteral("the frame stopped answering")
                            : QStringLiteral("the frame closed the connection");
    setText(QStringLiteral("The link to %1 was lost at %2 (%3): %4. Shown greyed is its last known state; "
                           "nothing can be changed until it is connected again.")
                .arg(frame, since.toString(QStringLiteral("HH:mm:ss")),
                     since.toString(QStringLiteral("yyyy-MM-dd")), why));
    show();
}

}  // namespace velmar
