#pragma once

#include <QGroupBox>
#include <functional>

#include "features/routing/view/CrosspointListModel.h"
#include "features/routing/view/RoutingContext.h"

class QLineEdit;
class QPushButton;
class QTreeView;

namespace velmar {

class SnapshotPreviewDialog;

// The middle of the main window: the frame's connected crosspoints, their filter and order, and
// saving and loading routing snapshots.
class CrosspointStatusBox final : public QGroupBox {
  public:
    CrosspointStatusBox(RoutingContext context, QWidget* parent);

    CrosspointListModel& Model() { return *model_; }
    QTreeView* View() const { return view_; }
    QPushButton* LoadButton() const { return loadButton_; }
    QPushButton* SaveButton() const { return saveButton_; }

    void HeaderClicked(int column);
    // Selects the row of `output` and scrolls it into view.
    void Reveal(std::int32_t output);
    // Jumps to the first row (after the current one with `next`) whose output or input matches.
    bool Find(const QString& text, bool next);
    // The list's context menu items.
    void DisconnectRows();
    void SaveCrosspoints(bool selectedOnly);
    void LoadCrosspoints();

    // How the preview runs; tests answer it without a modal loop.
    void SetPreviewRunner(std::function<bool(SnapshotPreviewDialog&)> run) { runPreview_ = std::move(run); }

    void ShowSortIndicator();

  private:
    std::vector<std::int32_t> SelectedOutputs() const;
    void ShowContextMenu(const QPoint& position);

    RoutingContext context_;
    CrosspointListModel* model_;
    QTreeView* view_;
    QLineEdit* find_;
    QPushButton* loadButton_;
    QPushButton* saveButton_;
    std::function<bool(SnapshotPreviewDialog&)> runPreview_;
};

}  // namespace velmar
