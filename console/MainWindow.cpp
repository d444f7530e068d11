#include "console/MainWindow.h"

#include <QSplitter>

#include <QAction>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHostAddress>
#include <QMenu>
#include <QVBoxLayout>

#include "console/AboutDialog.h"
#include "console/AddDeviceDialog.h"
#include "device/DeviceModel.h"
#include "features/identity/core/IdentityEvents.h"
#include "platform/qt/FrameText.h"

namespace velmar {

namespace {

constexpr int kMenuOffset = 5;

DeviceMode ModeFromAddressText(const std::string& text) {
    if (text.empty())
        return DeviceMode::Application;
    if (text.front() == '*')
        return DeviceMode::Recovery;
    if (text.front() == '#')
        return DeviceMode::Mode2;
    return DeviceMode::Application;
}

}  // namespace

MainWindow::MainWindow(ConsoleCore& core, QWidget* parent)
    : QMainWindow(parent), core_(core), session_(core.GetSession()), finder_(core.Finder()) {
    setWindowTitle(QString::fromStdString(session_.Title()));

    status_ = new DeviceStatusGroup(session_, this);
    banner_ = new LinkLostBanner(session_, this);
    routing_ = new RoutingArea(RoutingContext{session_, GetPrompter(), GetFilePicker()}, this);
    auto* central = new QWidget(this);
    auto* areas = new QSplitter(Qt::Horizontal);
    areas->setObjectName(QStringLiteral("MainSplitter"));
    areas->setChildrenCollapsible(false);
    areas->addWidget(BuildDeviceSelection());
    areas->addWidget(routing_);
    areas->setStretchFactor(0, 5);
    areas->setStretchFactor(1, 6);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(banner_);
    layout->addWidget(areas, 1);
    layout->addWidget(status_);
    setCentralWidget(central);
    resize(1180, 620);

    auto* about = new QAction(QStringLiteral("&About Velmar..."), this);
    about->setShortcut(QKeySequence::HelpContents);
    connect(about, &QAction::triggered, this, &MainWindow::ShowAbout);
    addAction(about);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    Subscribe();
    RegisterOwnCommands();
    connect(&finder_, &DeviceFinder::listChanged, this, &MainWindow::ShowDeviceList);
    connect(&finder_, &DeviceFinder::frameGoingAway, this, &MainWindow::OnFrameGoingAway);

    ConnectionChanged();
    finder_.Start();
}

MainWindow::~MainWindow() = default;

void MainWindow::Subscribe() {
    EventHub& events = session_.Events();
    subscriptions_.push_back(events.Subscribe<TitleChanged>(
        [this](const TitleChanged& e) { setWindowTitle(FrameTextToQString(e.title)); }));
    subscriptions_.push_back(events.Subscribe<velmar::ConnectionChanged>(
        [this](const velmar::ConnectionChanged&) { ConnectionChanged(); }));
    subscriptions_.push_back(events.Subscribe<ConnectFailed>(
        [this](const ConnectFailed&) { GetPrompter().Warning(std::string(kConnectFailedText)); }));
    subscriptions_.push_back(events.Subscribe<SettingsAvailability>(
        [this](const SettingsAvailability& e) { settings_->setEnabled(e.available); }));
    subscriptions_.push_back(events.Subscribe<DeviceIdChanged>([this](const DeviceIdChanged& e) {
        SetConnectedRowText(DeviceColumn::Id, std::to_string(e.deviceId));
        SetConnectedRowText(DeviceColumn::Name, e.name);
    }));
    subscriptions_.push_back(events.Subscribe<DeviceInfoChanged>([this](const DeviceInfoChanged& e) {
        SetConnectedRowText(DeviceColumn::Type, e.type);
        SetConnectedRowText(DeviceColumn::Serial, e.serial);
    }));
    subscriptions_.push_back(
        events.Subscribe<FrameLeaving>([this](const FrameLeaving& e) { finder_.RemoveRowOf(e.address); }));
}

QWidget* MainWindow::BuildDeviceSelection() {
    auto* group = new QGroupBox(QStringLiteral(" Device selection"), this);
    deviceList_ = new DeviceListView(group);
    refresh_ = new QPushButton(QStringLiteral("&Refresh"), group);
    settings_ = new QPushButton(QStringLiteral("&Settings"), group);
    addDevice_ = new QPushButton(QStringLiteral("&Add device"), group);
    for (QPushButton* button : {refresh_, settings_, addDevice_})
        button->setAutoDefault(false);

    connect(deviceList_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { ConnectRow(deviceList_->indexOfTopLevelItem(item)); });
    connect(deviceList_, &QWidget::customContextMenuRequested, this, &MainWindow::ShowContextMenu);
    connect(refresh_, &QPushButton::clicked, &finder_, &DeviceFinder::StartDiscovery);
    connect(settings_, &QPushButton::clicked, this, [this] {
        if (settingsHandler_)
            settingsHandler_();
    });
    connect(addDevice_, &QPushButton::clicked, this, &MainWindow::OpenAddDevice);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(refresh_);
    buttons->addWidget(settings_);
    buttons->addWidget(addDevice_);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(deviceList_, 1);
    layout->addLayout(buttons);
    return group;
}

void MainWindow::RegisterOwnCommands() {
    SetMenuHandler(MenuCommand::Refresh, [this] { finder_.StartDiscovery(); });
    SetMenuHandler(MenuCommand::Connect, [this] { ConnectRow(SelectedDeviceRow()); });
    SetMenuHandler(MenuCommand::Close, [this] {
        if (TargetIsConnectedFrame())
            session_.Disconnect();
    });
    SetMenuHandler(MenuCommand::RemoveFromList, [this] { finder_.RemoveFromList(SelectedDeviceRow()); });
}

void MainWindow::SetMenuHandler(MenuCommand command, std::function<void()> handler) {
    menuHandlers_[command] = std::move(handler);
}

void MainWindow::ConnectRow(int row) {
    const auto& rows = finder_.List().Rows();
    if (row < 0 || static_cast<std::size_t>(row) >= rows.size())
        return;
    const DeviceRow target = rows[static_cast<std::size_t>(row)];
    const ConnectionState& connection = session_.Connection();
    if (connection.connected && connection.connectedIp == target.address)
        return;
    if (connection.connected)
        session_.Disconnect();
    session_.Connect(QHostAddress(target.address).toString().toStdString(),
                     ModeFromAddressText(target.Column(DeviceColumn::Address)),
                     ModelClassFromListRow(target.Column(DeviceColumn::Type)));
}

void MainWindow::ConnectAddress(std::string_view addressText) {
    const DeviceMode mode = ModeFromAddressText(std::string(addressText));
    const std::string_view address = mode == DeviceMode::Application ? addressText : addressText.substr(1);
    if (session_.Connection().connected)
        session_.Disconnect();
    session_.Connect(address, mode, ModelClassFromListRow({}));
}

bool MainWindow::TargetIsConnectedFrame() const {
    const ConnectionState& connection = session_.Connection();
    if (!connection.connected)
        return false;
    const int row = SelectedDeviceRow();
    if (row < 0)
        return true;
    const auto& rows = finder_.List().Rows();
    return static_cast<std::size_t>(row) < rows.size() &&
           rows[static_cast<std::size_t>(row)].address == connection.connectedIp;
}

std::vector<MenuEntry> MainWindow::ContextMenuEntries() const {
    const ConnectionState& connection = session_.Connection();
    const DeviceState& state = session_.State();
    const int row = SelectedDeviceRow();
    DeviceMenuContext context;
    context.rowSelected = row >= 0 && static_cast<std::size_t>(row) < finder_.List().Size();
    if (context.rowSelected) {
        const DeviceRow& selected = finder_.List().Rows()[static_cast<std::size_t>(row)];
        context.rowIsConnectedFrame = connection.connected && selected.address == connection.connectedIp;
        context.rowIsSavedDevice = finder_.Saved().Contains(selected.Column(DeviceColumn::Address));
    }
    context.connected = connection.connected;
    context.mode = connection.deviceMode;
    context.capabilities = connection.capabilities;
    context.version = MainSoftwareVersion(state);
    context.features = state.config.features;
    context.xyOption = connection.options.xy;
    context.zelOption = connection.options.zel;
    return DeviceMenuEntries(context);
}

void MainWindow::ShowContextMenu(const QPoint& position) {
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const MenuEntry& entry : ContextMenuEntries()) {
        if (entry.command == MenuCommand::Separator) {
            menu->addSeparator();
            continue;
        }
        const MenuCommand command = entry.command;
        menu->addAction(QString::fromLatin1(entry.text.data(), static_cast<qsizetype>(entry.text.size())),
                        this, [this, command] { RunMenuCommand(command); });
    }
    menu->popup(deviceList_->viewport()->mapToGlobal(position) + QPoint(0, kMenuOffset));
}

void MainWindow::RunMenuCommand(MenuCommand command) {
    const auto it = menuHandlers_.find(command);
    if (it != menuHandlers_.end() && it->second)
        it->second();
}

void MainWindow::OpenAddDevice() {
    auto* dialog = new AddDeviceDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] { finder_.AddDevice(dialog->AddressText()); });
    dialog->open();
}

void MainWindow::ShowAbout() {
    auto* dialog = new AboutDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void MainWindow::SetConnectedRowText(DeviceColumn column, std::string_view text) {
    finder_.SetRowText(session_.Connection().connectedIp, column, FrameTextToQString(text));
}

void MainWindow::ConnectionChanged() {
    settings_->setEnabled(false);
    deviceList_->clearSelection();
    ShowDeviceList();
}

void MainWindow::ShowDeviceList() {
    const ConnectionState& connection = session_.Connection();
    deviceList_->Show(finder_.List().Rows(), connection.connected ? connection.connectedIp : 0);
}

void MainWindow::OnFrameGoingAway(std::uint32_t address) {
    const ConnectionState& connection = session_.Connection();
    if (connection.connected && connection.connectedIp == address)
        session_.Disconnect();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    finder_.SaveProfile();
    event->accept();
}

}  // namespace velmar
