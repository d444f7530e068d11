#include "routing/CrosspointListModel.h"

#include "routing/core/ChannelLabel.h"

namespace velmar {

CrosspointListModel::CrosspointListModel(const Session& session, QObject* parent)
    : QAbstractTableModel(parent), session_(session) {}

int CrosspointListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

int CrosspointListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 3;
}

QVariant CrosspointListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const std::int32_t output = OutputAt(index.row());
    if (role == kOutputRole)
        return output;
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
        case 1:
            return QString::fromStdString(
                LabelledChannelName(session_.State(), RouteSide::Input,
                                    session_.State().live.crosspoints[static_cast<std::size_t>(output - 1)]));
        case 2:
            return QString::fromStdString(LabelledChannelName(session_.State(), RouteSide::Output, output));
        default:
            return QString();
    }
}

QVariant CrosspointListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const QString kInput = QStringLiteral("INPUT");
    static const QString kOutput = QStringLiteral("OUTPUT");
    return section == 0 ? filterHeader_ : section == 1 ? kInput : kOutput;
}

void CrosspointListModel::Refresh(std::int32_t output, std::int32_t order) {
    const CrosspointList::Change change = list_.Refresh(output, order, session_.State(), session_.Channels());
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
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

void CrosspointListModel::Clear() {
    beginResetModel();
    list_.Clear();
    shown_.clear();
    endResetModel();
}

void CrosspointListModel::Relabel() {
    if (!shown_.empty())
        emit dataChanged(index(0, 1), index(rowCount() - 1, 2), {Qt::DisplayRole});
}

}  // namespace velmar
