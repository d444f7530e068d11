#include "features/eventlog/view/EventLogDock.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmar {
namespace {

constexpr int kLevelRole = Qt::UserRole;

QColor LevelColor(NoticeLevel level) {
    switch (level) {
        case NoticeLevel::Error:
            return {0xb0, 0x00, 0x00};
        case NoticeLevel::Warning:
            return {0x90, 0x60, 0x00};
        case NoticeLevel::Info:
            break;
    }
    return {};
}

}  // namespace

EventLogDock::EventLogDock(Session& session, QWidget* parent)
    : QDockWidget(QStringLiteral("Event log"), parent),
      session_(session),
      log_(session.Events()),
      filter_(new QLineEdit),
      level_(new QComboBox),
      entries_(new QListWidget),
      reconnect_(new QPushButton(QStringLiteral("Reconnect"))),
      autoReconnect_(new QCheckBox(QStringLiteral("Reconnect when the frame answers again"))),
      tools_(new QHBoxLayout) {
    setObjectName(QStringLiteral("EventLog"));
    filter_->setPlaceholderText(QStringLiteral("Filter"));
    filter_->setClearButtonEnabled(true);
    level_->addItem(QStringLiteral("All"), static_cast<int>(NoticeLevel::Info));
    level_->addItem(QStringLiteral("Warnings and errors"), static_cast<int>(NoticeLevel::Warning));
    level_->addItem(QStringLiteral("Errors"), static_cast<int>(NoticeLevel::Error));
    entries_->setUniformItemSizes(true);
    reconnect_->hide();
    connect(filter_, &QLineEdit::textChanged, this, [this] { ApplyFilter(); });
    connect(level_, &QComboBox::currentIndexChanged, this, [this] { ApplyFilter(); });
    connect(reconnect_, &QPushButton::clicked, this, [this] { session_.Reconnect(); });
    connect(autoReconnect_, &QCheckBox::toggled, this,
            [this](bool on) { session_.Returns().SetEnabled(on); });

    tools_->addWidget(filter_, 1);
    tools_->addWidget(level_);
    tools_->addWidget(reconnect_);
    tools_->addWidget(autoReconnect_);
    auto* body = new QWidget;
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(tools_);
    layout->addWidget(entries_, 1);
    setWidget(body);

    log_.SetListener([this](const LogEntry& entry) { Append(entry); });
    log_.FollowFrame(session);
    subscriptions_.push_back(session.Events().Subscribe<LinkLost>([this](const LinkLost&) {
        lost_ = true;
        ShowReconnect();
    }));
    subscriptions_.push_back(
        session.Events().Subscribe<ConnectionChanged>([this](const ConnectionChanged& e) {
            if (e.connected)
                lost_ = false;
            ShowReconnect();
        }));
}

void EventLogDock::Append(const LogEntry& entry) {
    auto* item = new QListWidgetItem(QString::fromStdString(EventLog::Format(entry)), entries_);
    item->setData(kLevelRole, static_cast<int>(entry.level));
    if (entry.level != NoticeLevel::Info)
        item->setForeground(LevelColor(entry.level));
    if (entries_->count() > static_cast<int>(EventLog::kKept))
        delete entries_->takeItem(0);
    const int row = entries_->row(item);
    entries_->setRowHidden(row, !Shows(row));
    entries_->scrollToBottom();
}

QPushButton* EventLogDock::AddButton(const QString& text, std::function<void()> pressed) {
    auto* button = new QPushButton(text);
    connect(button, &QPushButton::clicked, this, [pressed = std::move(pressed)] { pressed(); });
    tools_->addWidget(button);
    return button;
}

bool EventLogDock::Shows(int row) const {
    const QListWidgetItem* item = entries_->item(row);
    return item->data(kLevelRole).toInt() >= level_->currentData().toInt() &&
           (filter_->text().isEmpty() || item->text().contains(filter_->text(), Qt::CaseInsensitive));
}

void EventLogDock::ApplyFilter() {
    for (int row = 0; row < entries_->count(); ++row)
        entries_->setRowHidden(row, !Shows(row));
}

void EventLogDock::ShowReconnect() {
    // Offered while a frame that was lost is not connected again.
    reconnect_->setVisible(lost_ && !session_.Connection().connected && session_.HasTarget());
}

}  // namespace velmar
