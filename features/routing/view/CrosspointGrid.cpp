#include "features/routing/view/CrosspointGrid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

#include "features/routing/core/ChannelCatalog.h"
#include "features/routing/core/ChannelLabel.h"
#include "features/routing/core/ChannelNames.h"
#include "features/routing/core/RouteChanges.h"
#include "features/routing/core/RoutingUnit.h"

namespace velmar {
namespace {

constexpr int kSmallestCell = 4;
constexpr int kLargestCell = 32;
// Below this cell size names would overlap; the headers then show group names only.
constexpr int kSmallestNamedCell = 10;

const QColor kGroupLine(0xd8, 0xdc, 0xe4);
const QColor kGridLine(0xe6, 0xe6, 0xe6);
const QColor kRoute(0x1e, 0x8c, 0x3c);
const QColor kPending(0xe0, 0xa0, 0x00);
const QColor kCursor(0x20, 0x60, 0xd0);
const QColor kNotOffered(0xf0, 0xf0, 0xf0);

QString Name(const DeviceState& state, RouteSide side, std::int32_t channel) {
    return QString::fromStdString(LabelledChannelName(state, side, channel));
}

}  // namespace

CrosspointGrid::CrosspointGrid(RoutingContext context, QWidget* parent)
    : QAbstractScrollArea(parent), context_(context) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    Rebuild();
}

void CrosspointGrid::Rebuild() {
    std::vector<std::int32_t> offered;
    inputs_.assign(kChannelTableSize + 1, false);
    outputs_.assign(kChannelTableSize + 1, false);
    if (context_.Shows()) {
        // The same catalogue as the List tab's selectors, so both views offer the same channels.
        const ChannelCatalog catalog(context_.session.State(), context_.session.Capabilities(), nullptr);
        for (auto [kind, side] :
             {std::pair{RouteSide::Input, &inputs_}, std::pair{RouteSide::Output, &outputs_}}) {
            for (const std::int32_t channel : catalog.RoutableChannels(kind)) {
                if (channel <= context_.session.Channels() &&
                    static_cast<std::size_t>(channel) <= kChannelTableSize) {
                    (*side)[static_cast<std::size_t>(channel)] = true;
                    offered.push_back(channel);
                }
            }
        }
        std::sort(offered.begin(), offered.end());
        offered.erase(std::unique(offered.begin(), offered.end()), offered.end());
    }
    axis_.Build(offered);
    const auto lines = static_cast<std::int32_t>(axis_.Lines().size());
    cursorRow_ = std::clamp(cursorRow_, 0, std::max(lines - 1, 0));
    cursorColumn_ = std::clamp(cursorColumn_, 0, std::max(lines - 1, 0));
    UpdateScrollBars();
    viewport()->update();
}

void CrosspointGrid::RowChanged(std::int32_t output) {
    const std::int32_t row = axis_.LineOf(output);
    if (row < 0)
        return;
    const int top = columnHeader_ + row * cell_ - verticalScrollBar()->value();
    if (top + cell_ < columnHeader_ || top > viewport()->height())
        return;
    viewport()->update(QRect(0, top, viewport()->width(), cell_));
}

void CrosspointGrid::SetCellSize(int pixels) {
    const int size = std::clamp(pixels, kSmallestCell, kLargestCell);
    if (size == cell_)
        return;
    cell_ = size;
    UpdateScrollBars();
    EnsureCursorVisible();
    viewport()->update();
}

std::int32_t CrosspointGrid::InputAt(std::int32_t output) const {
    return LiveInput(context_.session.Feature<RoutingUnit>().Crosspoints(), context_.session.Channels(),
                     output);
}

std::int32_t CrosspointGrid::CursorOutput() const {
    const auto& lines = axis_.Lines();
    return cursorRow_ < static_cast<std::int32_t>(lines.size())
               ? lines[static_cast<std::size_t>(cursorRow_)].channel
               : 0;
}

std::int32_t CrosspointGrid::CursorInput() const {
    const auto& lines = axis_.Lines();
    return cursorColumn_ < static_cast<std::int32_t>(lines.size())
               ? lines[static_cast<std::size_t>(cursorColumn_)].channel
               : 0;
}

void CrosspointGrid::SetCursor(std::int32_t output, std::int32_t input) {
    for (auto [line, channel, cursor] : {std::tuple{axis_.LineOf(output), output, &cursorRow_},
                                         std::tuple{axis_.LineOf(input), input, &cursorColumn_}}) {
        if (channel <= 0)
            continue;
        if (line < 0) {
            // A channel in a collapsed group opens its group.
            const std::int32_t header = axis_.GroupLineOf(channel);
            if (header < 0)
                continue;
            axis_.SetCollapsed(axis_.Lines()[static_cast<std::size_t>(header)].group, false);
            UpdateScrollBars();
            line = axis_.LineOf(channel);
        }
        *cursor = line;
    }
    // A jump lands in the middle of the view, with what surrounds it in sight.
    horizontalScrollBar()->setValue(cursorColumn_ * cell_ - (viewport()->width() - rowHeader_) / 2);
    verticalScrollBar()->setValue(cursorRow_ * cell_ - (viewport()->height() - columnHeader_) / 2);
    viewport()->update();
}

bool CrosspointGrid::Find(const std::string& query) {
    // An output found by its name or label shows the input feeding it; an input found only by
    // its label is shown in the column, on the row of the first output it feeds.
    const DeviceState& state = context_.session.State();
    for (std::int32_t channel = 1; channel <= context_.session.Channels(); ++channel) {
        if (Offered(outputs_, channel) && ChannelOrLabelMatches(state, RouteSide::Output, channel, query)) {
            const std::int32_t input = InputAt(channel);
            SetCursor(channel, input > 0 ? input : channel);
            return true;
        }
    }
    for (std::int32_t channel = 1; channel <= context_.session.Channels(); ++channel) {
        if (Offered(inputs_, channel) && ChannelOrLabelMatches(state, RouteSide::Input, channel, query)) {
            std::int32_t output = channel;
            for (std::int32_t row = 1; row <= context_.session.Channels(); ++row) {
                if (InputAt(row) == channel) {
                    output = row;
                    break;
                }
            }
            SetCursor(output, channel);
            return true;
        }
    }
    return false;
}

void CrosspointGrid::RouteAtCursor() {
    const std::int32_t output = CursorOutput();
    const std::int32_t input = CursorInput();
    if (output <= 0 || input <= 0 || !context_.MayRoute() || InputAt(output) == input)
        return;
    if (!Offered(outputs_, output) || !Offered(inputs_, input)) {
        const bool noOutput = !Offered(outputs_, output);
        context_.Refuse(output, "Not sent: " + ChannelText(noOutput ? output : input) + " is not " +
                                    (noOutput ? "an output" : "an input") + " of this frame.");
        return;
    }
    const Crosspoint crosspoint{output, input};
    context_.Send(std::span<const Crosspoint>(&crosspoint, 1));
}

void CrosspointGrid::DisconnectAtCursor() {
    const std::int32_t output = CursorOutput();
    if (output <= 0 || !context_.MayRoute() || !Offered(outputs_, output) || InputAt(output) == 0)
        return;
    const Crosspoint crosspoint{output, 0};
    const std::span<const Crosspoint> one(&crosspoint, 1);
    if (context_.prompter.Question(DisconnectQuestion(one), "Crosspoint grid"))
        context_.Send(one);
}

void CrosspointGrid::ToggleGroup(std::int32_t line, bool onRows) {
    const auto& lines = axis_.Lines();
    if (line < 0 || line >= static_cast<std::int32_t>(lines.size()))
        return;
    const std::int32_t group = lines[static_cast<std::size_t>(line)].group;
    axis_.SetCollapsed(group, !axis_.Groups()[static_cast<std::size_t>(group)].collapsed);
    (onRows ? cursorRow_ : cursorColumn_) =
        std::min<std::int32_t>(line, static_cast<std::int32_t>(axis_.Lines().size()) - 1);
    UpdateScrollBars();
    viewport()->update();
}

void CrosspointGrid::UpdateScrollBars() {
    const int extent = static_cast<int>(axis_.Lines().size()) * cell_;
    horizontalScrollBar()->setRange(0, std::max(0, extent - (viewport()->width() - rowHeader_)));
    verticalScrollBar()->setRange(0, std::max(0, extent - (viewport()->height() - columnHeader_)));
    horizontalScrollBar()->setPageStep(viewport()->width());
    verticalScrollBar()->setPageStep(viewport()->height());
    horizontalScrollBar()->setSingleStep(cell_);
    verticalScrollBar()->setSingleStep(cell_);
}

void CrosspointGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

QRect CrosspointGrid::CellRect(std::int32_t row, std::int32_t column) const {
    return {rowHeader_ + column * cell_ - horizontalScrollBar()->value(),
            columnHeader_ + row * cell_ - verticalScrollBar()->value(), cell_, cell_};
}

void CrosspointGrid::EnsureCursorVisible() {
    const QRect cell = CellRect(cursorRow_, cursorColumn_);
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    if (cell.left() < rowHeader_)
        h->setValue(h->value() - (rowHeader_ - cell.left()));
    else if (cell.right() > viewport()->width())
        h->setValue(h->value() + cell.right() - viewport()->width() + 1);
    if (cell.top() < columnHeader_)
        v->setValue(v->value() - (columnHeader_ - cell.top()));
    else if (cell.bottom() > viewport()->height())
        v->setValue(v->value() + cell.bottom() - viewport()->height() + 1);
}

void CrosspointGrid::paintEvent(QPaintEvent* event) {
    QPainter p(viewport());
    const QRect dirty = event->rect();
    p.fillRect(dirty, palette().base());
    const auto& lines = axis_.Lines();
    const auto count = static_cast<std::int32_t>(lines.size());
    if (count == 0)
        return;
    const int width = viewport()->width();
    const int height = viewport()->height();
    const int x0 = horizontalScrollBar()->value();
    const int y0 = verticalScrollBar()->value();
    // The lines on screen (and, for rows, inside the dirty rectangle) and no others.
    const std::int32_t firstRow =
        std::max(0, (std::max(dirty.top(), columnHeader_) - columnHeader_ + y0) / cell_);
    const std::int32_t lastRow = std::min(count - 1, (dirty.bottom() - columnHeader_ + y0) / cell_);
    const std::int32_t firstColumn = std::max(0, (x0) / cell_);
    const std::int32_t lastColumn = std::min(count - 1, (width - rowHeader_ + x0) / cell_);
    const bool named = cell_ >= kSmallestNamedCell;
    QFont font = p.font();
    font.setPixelSize(std::max(8, cell_ - 4));
    p.setFont(font);

    p.save();
    p.setClipRect(QRect(rowHeader_, columnHeader_, width - rowHeader_, height - columnHeader_) & dirty);
    // Group header lines as bands, then the grid lines, then the routes.
    for (std::int32_t c = firstColumn; c <= lastColumn; ++c) {
        const std::int32_t input = lines[static_cast<std::size_t>(c)].channel;
        if (input == 0)
            p.fillRect(QRect(rowHeader_ + c * cell_ - x0, columnHeader_, cell_, height), kGroupLine);
        else if (!Offered(inputs_, input))
            p.fillRect(QRect(rowHeader_ + c * cell_ - x0, columnHeader_, cell_, height), kNotOffered);
    }
    for (std::int32_t r = firstRow; r <= lastRow; ++r) {
        const std::int32_t output = lines[static_cast<std::size_t>(r)].channel;
        if (output != 0 && !Offered(outputs_, output))
            p.fillRect(QRect(rowHeader_, columnHeader_ + r * cell_ - y0, width, cell_), kNotOffered);
    }
    std::vector<QLine> gridLines;
    if (cell_ >= 6) {
        for (std::int32_t c = firstColumn; c <= lastColumn + 1; ++c) {
            const int x = rowHeader_ + c * cell_ - x0;
            gridLines.emplace_back(x, columnHeader_, x, height);
        }
        for (std::int32_t r = firstRow; r <= lastRow + 1; ++r) {
            const int y = columnHeader_ + r * cell_ - y0;
            gridLines.emplace_back(rowHeader_, y, width, y);
        }
        p.setPen(kGridLine);
        p.drawLines(gridLines.data(), static_cast<int>(gridLines.size()));
    }
    const RoutingUnit& routing = context_.session.Feature<RoutingUnit>();
    const DeviceState& state = context_.session.State();
    for (std::int32_t r = firstRow; r <= lastRow; ++r) {
        const std::int32_t output = lines[static_cast<std::size_t>(r)].channel;
        if (output == 0) {
            p.fillRect(QRect(rowHeader_, columnHeader_ + r * cell_ - y0, width, cell_), kGroupLine);
            continue;
        }
        const std::int32_t column = axis_.LineOf(InputAt(output));
        if (column >= firstColumn && column <= lastColumn)
            p.fillRect(CellRect(r, column).adjusted(1, 1, 0, 0), kRoute);
        if (const auto pending = routing.Pending(output)) {
            const std::int32_t asked = axis_.LineOf(*pending);
            if (asked >= firstColumn && asked <= lastColumn) {
                p.setPen(QPen(kPending, 2));
                p.drawRect(CellRect(r, asked).adjusted(2, 2, -1, -1));
            }
        }
    }
    p.setPen(QPen(kCursor, 2));
    p.drawRect(CellRect(cursorRow_, cursorColumn_).adjusted(1, 1, 0, 0));
    p.restore();

    // Row names down the left, the cursor's row highlighted.
    p.save();
    p.setClipRect(QRect(0, columnHeader_, rowHeader_, height - columnHeader_) & dirty);
    p.fillRect(QRect(0, columnHeader_, rowHeader_, height), palette().window());
    for (std::int32_t r = firstRow; r <= lastRow; ++r) {
        const GridAxis::Line& line = lines[static_cast<std::size_t>(r)];
        const QRect band(4, columnHeader_ + r * cell_ - y0, rowHeader_ - 8, cell_);
        if (line.channel == 0) {
            const GridAxis::Group& group = axis_.Groups()[static_cast<std::size_t>(line.group)];
            p.fillRect(QRect(0, band.top(), rowHeader_, cell_), kGroupLine);
            p.setPen(palette().windowText().color());
            if (cell_ >= 8)
                p.drawText(band, Qt::AlignVCenter | Qt::AlignLeft,
                           QString::fromUtf8(group.collapsed ? "\u25B8 " : "\u25BE ") +
                               QString::fromStdString(group.name));
        } else if (named) {
            p.setPen(r == cursorRow_ ? kCursor : palette().windowText().color());
            p.drawText(band, Qt::AlignVCenter | Qt::AlignLeft, Name(state, RouteSide::Output, line.channel));
        }
    }
    p.restore();

    // Column names along the top, written upwards.
    p.save();
    p.setClipRect(QRect(rowHeader_, 0, width - rowHeader_, columnHeader_) & dirty);
    p.fillRect(QRect(rowHeader_, 0, width, columnHeader_), palette().window());
    for (std::int32_t c = firstColumn; c <= lastColumn; ++c) {
        const GridAxis::Line& line = lines[static_cast<std::size_t>(c)];
        const int x = rowHeader_ + c * cell_ - x0;
        QString text;
        if (line.channel == 0) {
            p.fillRect(QRect(x, 0, cell_, columnHeader_), kGroupLine);
            const GridAxis::Group& group = axis_.Groups()[static_cast<std::size_t>(line.group)];
            text = QString::fromUtf8(group.collapsed ? "\u25B8 " : "\u25BE ") +
                   QString::fromStdString(group.name);
        } else if (named) {
            text = Name(state, RouteSide::Input, line.channel);
        }
        if (text.isEmpty() || cell_ < 8)
            continue;
        p.save();
        p.translate(x + cell_ - 3, columnHeader_ - 4);
        p.rotate(-90);
        p.setPen(c == cursorColumn_ ? kCursor : palette().windowText().color());
        p.drawText(QRect(0, -cell_, columnHeader_ - 8, cell_), Qt::AlignVCenter | Qt::AlignLeft, text);
        p.restore();
    }
    p.restore();
    p.fillRect(QRect(0, 0, rowHeader_, columnHeader_) & dirty, palette().window());
}

void CrosspointGrid::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const auto count = static_cast<std::int32_t>(axis_.Lines().size());
    const std::int32_t row =
        at.y() < columnHeader_ ? -1 : (at.y() - columnHeader_ + verticalScrollBar()->value()) / cell_;
    const std::int32_t column =
        at.x() < rowHeader_ ? -1 : (at.x() - rowHeader_ + horizontalScrollBar()->value()) / cell_;
    if (row >= count || column >= count)
        return;
    const auto& lines = axis_.Lines();
    // A click on a group's header line opens or closes the group.
    if (row >= 0 && lines[static_cast<std::size_t>(row)].channel == 0 &&
        (column < 0 || event->button() == Qt::LeftButton)) {
        ToggleGroup(row, true);
        return;
    }
    if (column >= 0 && lines[static_cast<std::size_t>(column)].channel == 0) {
        ToggleGroup(column, false);
        return;
    }
    if (row < 0 || column < 0)
        return;
    cursorRow_ = row;
    cursorColumn_ = column;
    viewport()->update();
    if (event->button() == Qt::LeftButton)
        RouteAtCursor();
}

void CrosspointGrid::MoveCursor(std::int32_t rows, std::int32_t columns) {
    const auto last = static_cast<std::int32_t>(axis_.Lines().size()) - 1;
    cursorRow_ = std::clamp(cursorRow_ + rows, 0, std::max(last, 0));
    cursorColumn_ = std::clamp(cursorColumn_ + columns, 0, std::max(last, 0));
    EnsureCursorVisible();
    viewport()->update();
}

void CrosspointGrid::keyPressEvent(QKeyEvent* event) {
    const std::int32_t page = std::max(1, (viewport()->height() - columnHeader_) / cell_ - 1);
    const bool zoomKey = event->modifiers().testFlag(Qt::ControlModifier);
    switch (event->key()) {
        case Qt::Key_Up:
            return MoveCursor(-1, 0);
        case Qt::Key_Down:
            return MoveCursor(1, 0);
        case Qt::Key_Left:
            return MoveCursor(0, -1);
        case Qt::Key_Right:
            return MoveCursor(0, 1);
        case Qt::Key_PageUp:
            return MoveCursor(-page, 0);
        case Qt::Key_PageDown:
            return MoveCursor(page, 0);
        case Qt::Key_Home:
            return MoveCursor(-cursorRow_, -cursorColumn_);
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (CursorOutput() == 0)
                return ToggleGroup(cursorRow_, true);
            if (CursorInput() == 0)
                return ToggleGroup(cursorColumn_, false);
            return RouteAtCursor();
        case Qt::Key_Delete:
            return DisconnectAtCursor();
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            if (zoomKey)
                return SetCellSize(cell_ + 2);
            break;
        case Qt::Key_Minus:
            if (zoomKey)
                return SetCellSize(cell_ - 2);
            break;
        default:
            break;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void CrosspointGrid::wheelEvent(QWheelEvent* event) {
    if (event->modifiers().testFlag(Qt::ControlModifier)) {
        SetCellSize(cell_ + (event->angleDelta().y() > 0 ? 2 : -2));
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

}  // namespace velmar
