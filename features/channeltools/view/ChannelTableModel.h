#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

namespace velmar {

// One row per channel, the texts made on demand from the frame image: a list of 1536 channels
// costs nothing until rows are on screen, and a report rewrites only its rows.
class ChannelTableModel final : public QAbstractTableModel {
  public:
    using CellText = std::function<QString(std::int32_t channel, int column)>;
    using RowAlarm = std::function<bool(std::int32_t channel)>;

    ChannelTableModel(QStringList headers, CellText cell, QObject* parent);

    // A row in alarm is tinted red with dark red text; its cells must also say why in words.
    void SetRowAlarm(RowAlarm alarm) { alarm_ = std::move(alarm); }

    // The channels listed, in ascending order.
    void SetChannels(std::vector<std::int32_t> channels);
    // Every channel from first to last.
    void SetChannelRange(std::int32_t first, std::int32_t last);
    // The rows of channels first..first + count - 1 that are listed show their new texts.
    void ChannelsChanged(std::int32_t first, std::int32_t count);

    std::int32_t ChannelAt(int row) const;
    // The channels listed, in row order.
    const std::vector<std::int32_t>& Channels() const { return channels_; }
    // -1 when the channel has no row.
    int RowOf(std::int32_t channel) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    QStringList headers_;
    CellText cell_;
    RowAlarm alarm_;
    std::vector<std::int32_t> channels_;
};

}  // namespace velmar

class QTableView;

namespace velmar {

// A list view of a channel model as the channel tools show it: full rows, several selectable,
// fixed row heights (so 1536 rows lay out at once).
QTableView* MakeChannelView(ChannelTableModel* model, QWidget* parent);
// The channels of the view's selected rows, ascending.
std::vector<std::int32_t> SelectedChannels(const QTableView& view, const ChannelTableModel& model);

}  // namespace velmar
