#include "features/routing/view/CrosspointListModel.h"

#include <algorithm>

#include <QColor>

#include "features/routing/core/ChannelLabel.h"
#include "features/routing/core/ChannelNames.h"
#include "features/routing/core/RoutingUnit.h"

namespace velmar {

CrosspointListModel::CrosspointListModel(const Session& session, QObject* parent)
    : QAbstractTableModel(parent), session_(session) {}

int CrosspointListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

int CrosspointListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant CrosspointListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const std::int32_t output = OutputAt(index.row());
    if (role == kOutputRole)
        return output;
    const std::optional<std::int32_t> pending = session_.Feature<RoutingUnit>().Pending(output);
    if (role == Qt::ForegroundRole)
        return pending ? QVariant(QColor(0x80, 0x60, 0x00)) : QVariant();
    if (role != Qt::DisplayRole)
        return {};
    const DeviceState& state = session_.State();
    if (index.column() == kOutputColumn)
        return QString::fromStdString(LabelledChannelName(state, RouteSide::Output, output));
    QString text = QString::fromStdString(LabelledChannelName(
        state, RouteSide::Input,
        session_.Feature<RoutingUnit>().Crosspoints()[static_cast<std::size_t>(output - 1)]));
    // Until the frame answers, the row says what it was asked.
    if (pending)
        text += QStringLiteral("  \u2192 %1 (pending)").arg(QString::fromStdString(SourceText(*pending)));
    return text;
}

QVariant CrosspointListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const QString kInput = QStringLiteral("INPUT");
    if (section == kInputColumn)
        return kInput;
    // The filter lives on the output header: clicking it steps to the next filter.
    return filterHeader_.isEmpty() ? QStringLiteral("OUTPUT")
                                   : QStringLiteral("OUTPUT  [%1]").arg(filterHeader_);
}

void CrosspointListModel::Refresh(std::int32_t output, std::int32_t order) {
    const CrosspointList::Change change =
        list_.Refresh(output, order, session_.Feature<RoutingUnit>().Crosspoints(), session_.Channels());
    if (change.rebuilt) {
        beginResetModel();
        shown_ = list_.Rows();
        endResetModel();
        return;
    }
    if (change.removedRow) {
        const int row = static_cast<int>(*change.removedRow);
        beginRemoveRows({}, row, row);
        shown_.erase(shown_.begin() + row);
        endRemoveRows();
    }
    if (change.appended) {
        const int row = static_cast<int>(shown_.size());
        beginInsertRows({}, row, row);
        shown_.push_back(output);
        endInsertRows();
    }
}

void CrosspointListModel::AdvanceFilter() {
    filterHeader_ = list_.AdvanceFilter(session_.State(), session_.Capabilities())
                        ? QString::fromStdString(list_.FilterText())
                        : QString();
    emit headerDataChanged(Qt::Horizontal, kOutputColumn, kOutputColumn);
}

int CrosspointListModel::RowOf(std::int32_t output) const {
    const auto it = std::find(shown_.begin(), shown_.end(), output);
    return it == shown_.end() ? -1 : static_cast<int>(it - shown_.begin());
}

void CrosspointListModel::RepaintRow(std::int32_t output) {
    const int row = RowOf(output);
    if (row >= 0)
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void CrosspointListModel::Clear() {
    beginResetModel();
    list_.Clear();
    shown_.clear();
    endResetModel();
}

void CrosspointListModel::Relabel() {
    if (!shown_.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::DisplayRole});
}

}  // namespace velmar
