#include "features/channeltools/view/ChannelTableModel.h"

#include <QBrush>
#include <algorithm>

#include "tools/AlarmMarks.h"

namespace velmar {

ChannelTableModel::ChannelTableModel(QStringList headers, CellText cell, QObject* parent)
    : QAbstractTableModel(parent), headers_(std::move(headers)), cell_(std::move(cell)) {}

void ChannelTableModel::SetChannels(std::vector<std::int32_t> channels) {
    beginResetModel();
    channels_ = std::move(channels);
    endResetModel();
}

void ChannelTableModel::SetChannelRange(std::int32_t first, std::int32_t last) {
    std::vector<std::int32_t> channels;
    for (std::int32_t ch = first; ch <= last; ++ch)
        channels.push_back(ch);
    SetChannels(std::move(channels));
}

void ChannelTableModel::ChannelsChanged(std::int32_t first, std::int32_t count) {
    const auto begin = std::lower_bound(channels_.begin(), channels_.end(), first);
    const auto end = std::lower_bound(begin, channels_.end(), first + count);
    if (begin == end)
        return;
    const auto top = static_cast<int>(begin - channels_.begin());
    const auto bottom = static_cast<int>(end - channels_.begin()) - 1;
    emit dataChanged(index(top, 0), index(bottom, columnCount() - 1));
}

std::int32_t ChannelTableModel::ChannelAt(int row) const {
    return row >= 0 && row < rowCount() ? channels_[static_cast<std::size_t>(row)] : 0;
}

int ChannelTableModel::RowOf(std::int32_t channel) const {
    const auto it = std::lower_bound(channels_.begin(), channels_.end(), channel);
    return it != channels_.end() && *it == channel ? static_cast<int>(it - channels_.begin()) : -1;
}

int ChannelTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(channels_.size());
}

int ChannelTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(headers_.size());
}

QVariant ChannelTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return cell_(ChannelAt(index.row()), index.column());
    if ((role == Qt::BackgroundRole || role == Qt::ForegroundRole) && alarm_ &&
        alarm_(ChannelAt(index.row())))
        return role == Qt::BackgroundRole ? QBrush(AlarmBackground()) : QBrush(AlarmText());
    return {};
}

QVariant ChannelTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < headers_.size())
        return headers_[section];
    return {};
}

}  // namespace velmar

#include <QHeaderView>
#include <QTableView>

namespace velmar {

QTableView* MakeChannelView(ChannelTableModel* model, QWidget* parent) {
    auto* view = new QTableView(parent);
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setShowGrid(false);
    view->setWordWrap(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    view->horizontalHeader()->setStretchLastSection(true);
    view->horizontalHeader()->setHighlightSections(false);
    return view;
}

std::vector<std::int32_t> SelectedChannels(const QTableView& view, const ChannelTableModel& model) {
    std::vector<std::int32_t> channels;
    for (const QModelIndex& row : view.selectionModel()->selectedRows())
        channels.push_back(model.ChannelAt(row.row()));
    std::sort(channels.begin(), channels.end());
    return channels;
}

}  // namespace velmar
