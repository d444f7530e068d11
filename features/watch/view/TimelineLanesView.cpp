#include "features/watch/view/TimelineLanesView.h"

#include <QDateTime>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cmath>

namespace velmar {

namespace {

using Clock = std::chrono::system_clock;
using namespace std::chrono_literals;

// Closer than this nobody reads a health change; the wheel stops there.
constexpr Clock::duration kNarrowest = 10s;
constexpr int kMargin = 8;
constexpr int kDragAtLeast = 4;  // pixels: a shorter drag is a click
constexpr int kTickSpacing = 90;

QColor Fill(SpanState state) {
    switch (state) {
        case SpanState::Ok:
            return {0x5c, 0xb8, 0x5c};
        case SpanState::Fault:
            return {0xd9, 0x3b, 0x3b};
        case SpanState::Unknown:
            break;
    }
    return {0xd4, 0xd4, 0xd4};
}

double Millis(Clock::duration span) {
    return static_cast<double>(std::chrono::duration_cast<std::chrono::milliseconds>(span).count());
}

QDateTime Local(Clock::time_point time) {
    return QDateTime::fromMSecsSinceEpoch(
        std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count());
}

QString Lasting(Clock::duration span) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(span).count();
    if (seconds < 1)
        return QStringLiteral("under a second");
    if (seconds < 60)
        return QStringLiteral("%1 s").arg(seconds);
    if (seconds < 3600)
        return QStringLiteral("%1 min").arg(seconds / 60);
    if (seconds < 86400)
        return QStringLiteral("%1 h %2 min").arg(seconds / 3600).arg(seconds % 3600 / 60);
    return QStringLiteral("%1 d %2 h").arg(seconds / 86400).arg(seconds % 86400 / 3600);
}

}  // namespace

TimelineLanesView::TimelineLanesView(QWidget* parent)
    : QWidget(parent), band_(new QRubberBand(QRubberBand::Rectangle, this)) {
    setMouseTracking(true);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    band_->hide();
}

void TimelineLanesView::SetLanes(std::vector<HealthLane> lanes, TimeRange range) {
    lanes_ = std::move(lanes);
    range_ = range;
    titleWidth_ = 0;
    for (const HealthLane& lane : lanes_)
        titleWidth_ =
            std::max(titleWidth_, fontMetrics().horizontalAdvance(QString::fromStdString(lane.title)));
    titleWidth_ += 2 * kMargin;
    updateGeometry();
    ResetZoom();
}

void TimelineLanesView::ResetZoom() {
    shown_ = range_;
    update();
    if (shownChanged_)
        shownChanged_();
}

void TimelineLanesView::ZoomTo(TimeRange part) {
    const Clock::duration whole = range_.to - range_.from;
    const Clock::duration narrowest = std::min(kNarrowest, whole);
    part.from = std::clamp(part.from, range_.from, range_.to);
    part.to = std::clamp(part.to, range_.from, range_.to);
    if (part.to - part.from < narrowest) {
        const Clock::time_point middle = part.from + (part.to - part.from) / 2;
        part.from = std::clamp(middle - narrowest / 2, range_.from, range_.to - narrowest);
        part.to = part.from + narrowest;
    }
    shown_ = part;
    update();
    if (shownChanged_)
        shownChanged_();
}

void TimelineLanesView::ZoomAt(int x, double factor) {
    const Clock::time_point anchor = TimeAt(x);
    const auto scaled = [factor](Clock::duration span) {
        return std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double, Clock::period>(static_cast<double>(span.count()) * factor));
    };
    Clock::duration length = std::min(scaled(shown_.to - shown_.from), range_.to - range_.from);
    Clock::time_point from = anchor - scaled(anchor - shown_.from);
    // Zooming out near an end slides the view rather than pushing past the range.
    from = std::clamp(from, range_.from, range_.to - length);
    ZoomTo({from, from + length});
}

QRect TimelineLanesView::Plot() const {
    const int laneHeight = fontMetrics().height() + 12;
    return {titleWidth_, kMargin, std::max(1, width() - titleWidth_ - kMargin),
            laneHeight * static_cast<int>(lanes_.size())};
}

int TimelineLanesView::LaneTop(std::size_t lane) const {
    const QRect plot = Plot();
    return plot.top() +
           static_cast<int>(lane) * (plot.height() / std::max<int>(1, static_cast<int>(lanes_.size())));
}

int TimelineLanesView::XOf(Clock::time_point time) const {
    const QRect plot = Plot();
    const double shown = Millis(shown_.to - shown_.from);
    if (shown <= 0)
        return plot.left();
    const double at = Millis(time - shown_.from) / shown * plot.width();
    return plot.left() + static_cast<int>(std::lround(std::clamp(at, -1.0, plot.width() + 1.0)));
}

Clock::time_point TimelineLanesView::TimeAt(int x) const {
    const QRect plot = Plot();
    const double part = std::clamp(static_cast<double>(x - plot.left()) / plot.width(), 0.0, 1.0);
    return shown_.from +
           std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, Clock::period>(
               static_cast<double>((shown_.to - shown_.from).count()) * part));
}

const LaneSpan* TimelineLanesView::SpanAt(QPoint point) const {
    const QRect plot = Plot();
    if (lanes_.empty() || !plot.contains(point))
        return nullptr;
    const auto lane = static_cast<std::size_t>((point.y() - plot.top()) /
                                               (plot.height() / static_cast<int>(lanes_.size())));
    if (lane >= lanes_.size())
        return nullptr;
    const Clock::time_point at = TimeAt(point.x());
    for (const LaneSpan& span : lanes_[lane].spans) {
        if (span.from <= at && at < span.to)
            return &span;
    }
    return nullptr;
}

QString TimelineLanesView::TipAt(QPoint point) const {
    const LaneSpan* span = SpanAt(point);
    if (span == nullptr)
        return {};
    const QString format = QStringLiteral("yyyy-MM-dd HH:mm:ss");
    return QStringLiteral("%1\nfrom %2\nto %3 (%4)")
        .arg(span->value.empty() ? QStringLiteral("not known") : QString::fromStdString(span->value),
             Local(span->from).toString(format), Local(span->to).toString(format),
             Lasting(span->to - span->from));
}

QSize TimelineLanesView::sizeHint() const {
    return {900, minimumSizeHint().height()};
}

QSize TimelineLanesView::minimumSizeHint() const {
    return {titleWidth_ + 300, Plot().bottom() + 3 * fontMetrics().height() + kMargin};
}

bool TimelineLanesView::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = TipAt(help->pos());
        if (tip.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), tip, this);
        }
        return true;
    }
    return QWidget::event(event);
}

void TimelineLanesView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect plot = Plot();
    if (lanes_.empty())
        return;
    const int laneHeight = plot.height() / static_cast<int>(lanes_.size());
    // The time grid first: it shows between the lanes, never across a value.
    PaintAxis(painter, plot);
    const QColor faint = palette().color(QPalette::AlternateBase);
    for (std::size_t i = 0; i < lanes_.size(); ++i) {
        const int top = LaneTop(i);
        if (i % 2 == 1)
            painter.fillRect(QRect(0, top, titleWidth_, laneHeight), faint);
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(QRect(kMargin, top, titleWidth_ - 2 * kMargin, laneHeight),
                         Qt::AlignVCenter | Qt::AlignLeft, QString::fromStdString(lanes_[i].title));
        for (const LaneSpan& span : lanes_[i].spans) {
            if (span.to <= shown_.from || span.from >= shown_.to)
                continue;
            const int left = XOf(std::max(span.from, shown_.from));
            const int right = XOf(std::min(span.to, shown_.to));
            // A pixel apart, so that two values of one colour still read as two.
            const QRect box(left, top + 3, std::max(1, right - left - 1), laneHeight - 6);
            painter.fillRect(box, Fill(span.state));
            if (span.state == SpanState::Fault)
                painter.fillRect(box, QBrush(QColor(255, 255, 255, 90), Qt::BDiagPattern));
            const QString text =
                fontMetrics().elidedText(QString::fromStdString(span.value), Qt::ElideRight, box.width() - 8);
            if (box.width() > 30 && !text.isEmpty() && text != QStringLiteral("…")) {
                painter.setPen(span.state == SpanState::Unknown ? QColor(0x40, 0x40, 0x40)
                                                                : QColor(Qt::white));
                painter.drawText(box.adjusted(4, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft, text);
            }
        }
    }
}

void TimelineLanesView::PaintAxis(QPainter& painter, QRect plot) const {
    static constexpr std::array<Clock::duration, 17> kSteps{
        1s, 5s, 10s, 30s, 1min, 2min, 5min, 10min, 15min, 30min, 1h, 2h, 3h, 6h, 12h, 24h, 48h};
    const Clock::duration shown = shown_.to - shown_.from;
    const int most = std::max(1, plot.width() / kTickSpacing);
    Clock::duration step = kSteps.back();
    for (const Clock::duration candidate : kSteps) {
        if (shown / candidate <= most) {
            step = candidate;
            break;
        }
    }
    // Ticks fall on the whole minutes, hours and days of the operator's clock.
    const auto offset = std::chrono::seconds(Local(shown_.from).offsetFromUtc());
    const auto local = shown_.from.time_since_epoch() + offset;
    Clock::time_point tick = Clock::time_point((local / step) * step - offset);
    if (tick < shown_.from)
        tick += step;
    const QString format = step < 1min    ? QStringLiteral("HH:mm:ss")
                           : shown <= 24h ? QStringLiteral("HH:mm")
                                          : QStringLiteral("ddd HH:mm");
    const QColor line = palette().color(QPalette::Mid);
    painter.setPen(line);
    painter.drawLine(plot.left(), plot.bottom() + 1, plot.right(), plot.bottom() + 1);
    const int textTop = plot.bottom() + 4;
    const int textHeight = fontMetrics().height();
    for (; tick <= shown_.to; tick += step) {
        const int x = XOf(tick);
        painter.setPen(line);
        painter.drawLine(x, plot.top(), x, plot.bottom() + 4);
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(QRect(x - kTickSpacing / 2, textTop, kTickSpacing, textHeight), Qt::AlignHCenter,
                         Local(tick).toString(format));
    }
    const QString dates =
        Local(shown_.from).toString(QStringLiteral("ddd d MMM yyyy HH:mm")) + QStringLiteral(" – ") +
        Local(shown_.to).toString(QStringLiteral("ddd d MMM yyyy HH:mm")) + QStringLiteral("  (local time)");
    painter.drawText(QRect(plot.left(), textTop + textHeight + 2, plot.width(), textHeight), Qt::AlignHCenter,
                     dates);
}

void TimelineLanesView::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta == 0)
        return;
    ZoomAt(static_cast<int>(event->position().x()), std::pow(0.8, delta / 120.0));
    event->accept();
}

void TimelineLanesView::mousePressEvent(QMouseEvent* event) {
    const QRect plot = Plot();
    if (event->button() != Qt::LeftButton || !plot.contains(event->position().toPoint()))
        return QWidget::mousePressEvent(event);
    dragFrom_ = event->position().toPoint().x();
    band_->setGeometry(*dragFrom_, plot.top(), 0, plot.height());
    band_->show();
}

void TimelineLanesView::mouseMoveEvent(QMouseEvent* event) {
    if (!dragFrom_)
        return QWidget::mouseMoveEvent(event);
    const QRect plot = Plot();
    const int x = std::clamp(event->position().toPoint().x(), plot.left(), plot.right());
    band_->setGeometry(std::min(x, *dragFrom_), plot.top(), std::abs(x - *dragFrom_), plot.height());
}

void TimelineLanesView::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragFrom_)
        return QWidget::mouseReleaseEvent(event);
    const int from = *dragFrom_;
    const int to = event->position().toPoint().x();
    dragFrom_.reset();
    band_->hide();
    if (std::abs(to - from) >= kDragAtLeast)
        ZoomTo({TimeAt(std::min(from, to)), TimeAt(std::max(from, to))});
}

}  // namespace velmar
