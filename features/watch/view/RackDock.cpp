#include "features/watch/view/RackDock.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>
#include <set>

#include "features/watch/view/Rack.h"
#include "features/watch/view/RackSettingsDialog.h"

namespace velmar {

RackDock::RackDock(Rack& rack, std::function<void(const std::string&)> focus, QWidget* parent)
    : QDockWidget(QStringLiteral("Rack"), parent), rack_(rack), focus_(std::move(focus)) {
    setObjectName(QStringLiteral("rackDock"));
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    auto* tools = new QHBoxLayout;
    filter_ = new QLineEdit(body);
    filter_->setPlaceholderText(QStringLiteral("Filter"));
    filter_->setClearButtonEnabled(true);
    watchAll_ = new QCheckBox(QStringLiteral("Watch all frames"), body);
    watchAll_->setChecked(rack.Settings().watchAll);
    watchAll_->setToolTip(QStringLiteral("Otherwise only the ticked frames are watched"));
    acknowledge_ = new QPushButton(QStringLiteral("Acknowledge"), body);
    acknowledge_->setToolTip(QStringLiteral("Acknowledge the open alarms of the selected frames"));
    settings_ = new QPushButton(QStringLiteral("Settings..."), body);
    tools->addWidget(filter_, 1);
    tools->addWidget(watchAll_);
    tools->addWidget(acknowledge_);
    tools->addWidget(settings_);
    layout->addLayout(tools);

    proxy_ = new QSortFilterProxyModel(this);
    proxy_->setSourceModel(&rack.Model());
    proxy_->setSortRole(RackModel::kSortRole);
    proxy_->setFilterCaseSensitivity(Qt::CaseInsensitive);
    proxy_->setFilterKeyColumn(-1);
    proxy_->setDynamicSortFilter(true);
    view_ = new QTableView(body);
    view_->setModel(proxy_);
    view_->setSortingEnabled(true);
    view_->sortByColumn(RackModel::Address, Qt::AscendingOrder);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->verticalHeader()->hide();
    view_->horizontalHeader()->setStretchLastSection(true);
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(view_, 1);
    setWidget(body);

    connect(filter_, &QLineEdit::textChanged, proxy_, &QSortFilterProxyModel::setFilterFixedString);
    connect(watchAll_, &QCheckBox::toggled, this, [this](bool all) { rack_.SetWatchAll(all); });
    connect(acknowledge_, &QPushButton::clicked, this, [this] { AcknowledgeSelected(); });
    connect(settings_, &QPushButton::clicked, this, [this] { OpenSettings(); });
    connect(view_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        // The tick column is for ticking.
        if (index.column() == RackModel::Ticked || !focus_)
            return;
        focus_(proxy_->data(index, RackModel::kAddressTextRole).toString().toStdString());
    });
    connect(view_, &QTableView::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        menu.addAction(QStringLiteral("Acknowledge alarms"), this, [this] { AcknowledgeSelected(); });
        const QModelIndex index = view_->indexAt(at);
        if (index.isValid() && timeline_) {
            const int row = proxy_->mapToSource(index).row();
            const QString name = rack_.Model().index(row, RackModel::Name).data().toString();
            menu.addAction(
                QStringLiteral("Health timeline ..."), this,
                [this, address = rack_.Model().AddressAt(row), name] { timeline_(address, name); });
        }
        menu.exec(view_->viewport()->mapToGlobal(at));
    });
}

int RackDock::ViewRowOf(const std::string& address) const {
    const int source = rack_.Model().RowOf(address);
    if (source < 0)
        return -1;
    return proxy_->mapFromSource(rack_.Model().index(source, 0)).row();
}

void RackDock::AcknowledgeSelected() {
    std::set<std::string> frames;
    for (const QModelIndex& index : view_->selectionModel()->selectedRows())
        frames.insert(rack_.Model().AddressAt(proxy_->mapToSource(index).row()));
    for (const std::string& frame : frames)
        rack_.Alarms().AcknowledgeFrame(frame);
}

void RackDock::OpenSettings() {
    RackSettingsDialog dialog(rack_.Settings(), this);
    if (dialog.exec() == QDialog::Accepted)
        rack_.Apply(dialog.Chosen());
}

}  // namespace velmar
