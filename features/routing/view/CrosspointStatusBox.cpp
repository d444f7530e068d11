#include "features/routing/view/CrosspointStatusBox.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <fstream>

#include "features/routing/core/ChannelLabel.h"
#include "features/routing/core/ChannelNames.h"
#include "features/routing/core/RouteChanges.h"
#include "features/routing/core/RoutingActions.h"
#include "features/routing/core/RoutingUnit.h"
#include "features/routing/view/SnapshotPreviewDialog.h"

namespace velmar {
namespace {

constexpr std::string_view kXptFilter = "Crosspoint status (*.xpt)|*.xpt|All Files (*.*)|*.*";

}  // namespace

CrosspointStatusBox::CrosspointStatusBox(RoutingContext context, QWidget* parent)
    : QGroupBox(QStringLiteral(" Crosspoint status (mono channels) "), parent),
      context_(context),
      model_(new CrosspointListModel(context.session, this)),
      view_(new QTreeView),
      find_(new QLineEdit),
      loadButton_(new QPushButton(QStringLiteral("&Load from file ..."))),
      saveButton_(new QPushButton(QStringLiteral("Save to &file ..."))),
      runPreview_([](SnapshotPreviewDialog& dialog) { return dialog.exec() == QDialog::Accepted; }) {
    view_->setModel(model_);
    view_->setRootIsDecorated(false);
    view_->setUniformRowHeights(true);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    view_->header()->setSectionsClickable(true);
    view_->header()->setSectionsMovable(false);
    view_->header()->setStretchLastSection(true);
    view_->setColumnWidth(CrosspointListModel::kInputColumn, 160);
    view_->header()->setSortIndicatorShown(true);
    ShowSortIndicator();
    find_->setPlaceholderText(QStringLiteral("Find output or input (name, number or label)"));
    find_->setClearButtonEnabled(true);
    connect(find_, &QLineEdit::textEdited, this, [this](const QString& text) { Find(text, false); });
    connect(find_, &QLineEdit::returnPressed, this, [this] { Find(find_->text(), true); });
    connect(view_->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { HeaderClicked(column); });
    connect(view_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { ShowContextMenu(p); });
    connect(saveButton_, &QPushButton::clicked, this, [this] { SaveCrosspoints(false); });
    connect(loadButton_, &QPushButton::clicked, this, [this] { LoadCrosspoints(); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(loadButton_);
    buttons->addWidget(saveButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(find_);
    layout->addWidget(view_);
    layout->addLayout(buttons);
}

void CrosspointStatusBox::HeaderClicked(int column) {
    if (!context_.Connected())
        return;
    const bool output = column == CrosspointListModel::kOutputColumn;
    if (output)
        model_->AdvanceFilter();
    model_->Refresh(CrosspointList::kRebuild,
                    output ? CrosspointList::kOutputColumn : CrosspointList::kInputColumn);
    ShowSortIndicator();
}

void CrosspointStatusBox::ShowSortIndicator() {
    view_->header()->setSortIndicator(
        model_->List().InputOrder() ? CrosspointListModel::kInputColumn : CrosspointListModel::kOutputColumn,
        Qt::AscendingOrder);
}

void CrosspointStatusBox::Reveal(std::int32_t output) {
    const int row = model_->RowOf(output);
    if (row < 0)
        return;
    const QModelIndex index = model_->index(row, 0);
    view_->selectionModel()->setCurrentIndex(index,
                                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view_->scrollTo(index);
}

bool CrosspointStatusBox::Find(const QString& text, bool next) {
    const int rows = model_->rowCount();
    const std::string query = text.toStdString();
    const int current = view_->currentIndex().isValid() ? view_->currentIndex().row() : -1;
    // Typing looks from the current row on; Enter looks past it.
    const int start = next ? current + 1 : std::max(current, 0);
    for (int k = 0; k < rows; ++k) {
        const int row = (start + k) % rows;
        const std::int32_t output = model_->OutputAt(row);
        const DeviceState& state = context_.session.State();
        const std::int32_t input =
            context_.session.Feature<RoutingUnit>().Crosspoints()[static_cast<std::size_t>(output - 1)];
        if (ChannelOrLabelMatches(state, RouteSide::Output, output, query) ||
            ChannelOrLabelMatches(state, RouteSide::Input, input, query)) {
            Reveal(output);
            return true;
        }
    }
    return false;
}

std::vector<std::int32_t> CrosspointStatusBox::SelectedOutputs() const {
    QModelIndexList rows = view_->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<std::int32_t> outputs;
    for (const QModelIndex& row : rows)
        outputs.push_back(model_->OutputAt(row.row()));
    return outputs;
}

void CrosspointStatusBox::ShowContextMenu(const QPoint& position) {
    if (!context_.Connected() || !view_->selectionModel()->hasSelection())
        return;
    QMenu menu(this);
    connect(menu.addAction(QStringLiteral("Disconnect")), &QAction::triggered, this,
            [this] { DisconnectRows(); });
    connect(menu.addAction(QStringLiteral("Save to file...")), &QAction::triggered, this,
            [this] { SaveCrosspoints(true); });
    menu.exec(view_->viewport()->mapToGlobal(position + QPoint(0, 5)));
}

void CrosspointStatusBox::DisconnectRows() {
    if (!context_.Ready() || !view_->selectionModel()->hasSelection())
        return;
    const std::vector<Crosspoint> crosspoints =
        RoutingActions(context_.session.Channels(), false).DisconnectRows(SelectedOutputs());
    if (crosspoints.empty() ||
        !context_.prompter.Question(DisconnectQuestion(crosspoints), "Crosspoint status"))
        return;
    context_.Send(crosspoints);
}

void CrosspointStatusBox::SaveCrosspoints(bool selectedOnly) {
    if (!context_.MayRoute() || !context_.session.Capabilities().matrix)
        return;
    // Saving the selected rows is refused while the stepper changes them.
    if (selectedOnly && !context_.Ready())
        return;
    const std::string path = context_.files.SaveFile(
        {selectedOnly ? "Save selected crosspoints" : "Save crosspoint status", kXptFilter, "xpt"});
    if (path.empty())
        return;
    const std::vector<std::int32_t> selected = selectedOnly ? SelectedOutputs() : std::vector<std::int32_t>{};
    const CrosspointSnapshot snapshot =
        SnapshotToSave(context_.session.Feature<RoutingUnit>().Crosspoints(), context_.session.Channels(),
                       model_->List().Rows(), !model_->List().ShowsAll(),
                       selectedOnly ? std::optional<std::span<const std::int32_t>>(selected) : std::nullopt);
    if (const std::string problem = CrosspointFile::Save(path, snapshot.crosspoints, snapshot.index);
        !problem.empty())
        context_.prompter.Warning("The crosspoints were not saved: " + problem);
}

void CrosspointStatusBox::LoadCrosspoints() {
    if (!context_.MayRoute() || !context_.session.Capabilities().matrix)
        return;
    const std::string path = context_.files.OpenFile({"Open crosspoint status", kXptFilter, "xpt"});
    if (path.empty())
        return;
    SnapshotPreviewDialog preview(QString::fromStdString(path), context_.session.Channels(),
                                  context_.session.Feature<RoutingUnit>().Crosspoints(), this);
    if (!runPreview_(preview))
        return;
    context_.Send(preview.Connections());
}

}  // namespace velmar
