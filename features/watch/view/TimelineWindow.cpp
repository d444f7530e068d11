#include "features/watch/view/TimelineWindow.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "console/ConsoleCore.h"
#include "device/ui/FilePicker.h"
#include "device/ui/Prompter.h"
#include "features/watch/core/HealthCsv.h"
#include "features/watch/core/SqliteHealthHistory.h"
#include "features/watch/view/TimelineLanesView.h"
#include "widgets/TitleFit.h"

namespace velmar {

namespace {

using Clock = std::chrono::system_clock;
using namespace std::chrono_literals;

constexpr std::array<const char*, 3> kSpanTexts{"Last hour", "Last day", "Last week"};
constexpr std::array<Clock::duration, 3> kSpans{1h, 24h, 7 * 24h};

}  // namespace

TimelineWindow::TimelineWindow(std::string address, const QString& title, std::string historyPath,
                               FilePicker& files, Prompter& prompter, QWidget* parent, Now now)
    : QWidget(parent, Qt::Window),
      address_(std::move(address)),
      historyPath_(std::move(historyPath)),
      files_(files),
      prompter_(prompter),
      now_(std::move(now)) {
    const QString frame = QString::fromStdString(address_);
    setWindowTitle(QStringLiteral("Health timeline - ") +
                   (title.isEmpty() || title == frame ? frame : title + QStringLiteral(" (") + frame + ')'));
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    auto* spans = new QButtonGroup(this);
    for (std::size_t i = 0; i < kSpans.size(); ++i) {
        spanButtons_[i] = new QPushButton(QString::fromLatin1(kSpanTexts[i]), this);
        spanButtons_[i]->setCheckable(true);
        spans->addButton(spanButtons_[i]);
        bar->addWidget(spanButtons_[i]);
        // Pressed again, a range is read again: the history has moved on since.
        connect(spanButtons_[i], &QPushButton::clicked, this, [this, i] { Show(static_cast<Span>(i)); });
    }
    bar->addStretch();
    reset_ = new QPushButton(QStringLiteral("Reset zoom"), this);
    export_ = new QPushButton(QStringLiteral("Export CSV…"), this);
    bar->addWidget(reset_);
    bar->addWidget(export_);
    layout->addLayout(bar);
    lanes_ = new TimelineLanesView(this);
    lanes_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    layout->addWidget(lanes_);
    layout->addStretch();
    note_ = new QLabel(this);
    note_->setTextFormat(Qt::PlainText);
    note_->setWordWrap(true);
    layout->addWidget(note_);
    auto* hint = new QLabel(
        QStringLiteral("Wheel: zoom around the pointer. Drag across the lanes: zoom to that stretch."), this);
    hint->setEnabled(false);
    layout->addWidget(hint);
    connect(reset_, &QPushButton::clicked, this, [this] { lanes_->ResetZoom(); });
    connect(export_, &QPushButton::clicked, this, [this] { ExportCsv(); });
    lanes_->OnShownChanged([this] {
        reset_->setEnabled(lanes_->Shown().from != lanes_->Range().from ||
                           lanes_->Shown().to != lanes_->Range().to);
    });
    TitleFit::Install(*this);
    Show(Span::Day);
}

void TimelineWindow::Show(Span span) {
    const auto at = static_cast<std::size_t>(span);
    spanButtons_[at]->setChecked(true);
    // The end a millisecond on, so that a change recorded this very moment is drawn.
    const Clock::time_point to = now_() + 1ms;
    const TimeRange range{to - kSpans[at], to};
    changes_.clear();
    SqliteHealthHistory history;
    std::string failure = history.Open(historyPath_, SqliteHealthHistory::Access::ReadOnly);
    if (failure.empty())
        failure = history.ReadRange(address_, range.from, range.to, changes_);
    if (!failure.empty())
        changes_.clear();
    lanes_->SetLanes(BuildHealthLanes(changes_, range), range);
    const auto inRange = std::count_if(changes_.begin(), changes_.end(), [&](const HealthChanged& change) {
        return change.time >= range.from;
    });
    if (!failure.empty()) {
        note_->setText(QString::fromStdString(failure));
    } else if (inRange == 0) {
        note_->setText(QStringLiteral("No change of this frame was recorded in this range."));
    } else {
        note_->setText(QStringLiteral("%1 changes in this range.").arg(inRange));
    }
}

void TimelineWindow::ExportCsv() {
    const TimeRange shown = lanes_->Shown();
    std::vector<HealthChanged> changes;
    for (const HealthChanged& change : changes_) {
        if (change.time >= shown.from && change.time < shown.to)
            changes.push_back(change);
    }
    const std::string path =
        files_.SaveFile({"Export health changes", "CSV files (*.csv)|*.csv|All Files (*.*)|*.*", "csv"});
    if (path.empty())
        return;
    if (const std::string failure = SaveHealthChangesCsv(path, changes); !failure.empty()) {
        prompter_.Warning(failure, "Health timeline");
        return;
    }
    note_->setText(
        QStringLiteral("%1 changes written to %2.").arg(changes.size()).arg(QString::fromStdString(path)));
}

TimelineWindow* OpenHealthTimeline(QWidget* parent, ConsoleCore& core, const std::string& address,
                                   QString title) {
    auto* window = new TimelineWindow(address, title, SqliteHealthHistory::DefaultPath(),
                                      core.GetFilePicker(), core.GetPrompter(), parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->resize(window->sizeHint().expandedTo(QSize(1000, 0)));
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

}  // namespace velmar
