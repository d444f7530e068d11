#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "device/Session.h"
#include "features/routing/core/CrosspointList.h"

namespace velmar {

// The crosspoint status list as a table model: rows are connected outputs, texts are made when
// the view asks for them, so a 1536-row rebuild costs no more than the rows on screen.
class CrosspointListModel final : public QAbstractTableModel {
  public:
    static constexpr int kOutputRole = Qt::UserRole;
    static constexpr int kInputColumn = 0;
    static constexpr int kOutputColumn = 1;

    CrosspointListModel(const Session& session, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Re-shows one output or rebuilds (output CrosspointList::kRebuild), as the list decides.
    void Refresh(std::int32_t output, std::int32_t order);
    // The filter header's click; the header goes blank on a frame without a matrix.
    void AdvanceFilter();
    void Clear();
    // Channel labels changed: the rows show them.
    void Relabel();
    // The row showing `output`, or -1.
    int RowOf(std::int32_t output) const;
    // The row's texts changed without the row moving (a request went out or was refused).
    void RepaintRow(std::int32_t output);

    const CrosspointList& List() const { return list_; }
    std::int32_t OutputAt(int row) const { return shown_[static_cast<std::size_t>(row)]; }

  private:
    const Session& session_;
    CrosspointList list_;
    std::vector<std::int32_t> shown_;  // follows list_ change by change, for the view's signals
    QString filterHeader_ = QStringLiteral("ALL");
};

}  // namespace velmar
