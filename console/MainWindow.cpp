#include "console/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHostAddress>
#include <QKeyEvent>
#include <QMenu>
#include <QVBoxLayout>

#include "console/AboutDialog.h"
#include "console/AddDeviceDialog.h"
#include "platform/qt/QtFilePicker.h"
#include "platform/qt/QtProfileStore.h"
#include "platform/qt/QtPrompter.h"
#include "routing/XyControlWindow.h"
#include "device/DeviceModel.h"
#include "device/discovery/DiscoveryDatagram.h"

namespace velmar {

namespace {

// Shown until a row is chosen; a connection from the list always replaces it.
constexpr std::uint32_t kPresetAddress = 0xC0A80164u;  // 192.168.1.100
constexpr int kMenuOffset = 5;
constexpr std::size_t kDanteModulePosition = 18;

DeviceMode ModeFromAddressText(const std::string& text) {
    if (text.empty())
        return DeviceMode::Application;
    if (text.front() == '*')
        return DeviceMode::Recovery;
    if (text.front() == '#')
        return DeviceMode::Mode2;
    return DeviceMode::Application;
}

template <typename T>
T* OwnedOrDefault(T* given, std::unique_ptr<T>& owned, std::unique_ptr<T> fallback) {
    if (given != nullptr)
        return given;
    owned = std::move(fallback);
    return owned.get();
}

}  // namespace

MainWindow::MainWindow(ConsoleOptions options, ConsoleServices services, QWidget* parent)
    : QDialog(parent),
      prompter_(
          OwnedOrDefault<Prompter>(services.prompter, ownPrompter_, std::make_unique<QtPrompter>(this))),
      filePicker_(OwnedOrDefault<FilePicker>(services.filePicker, ownFilePicker_,
                                             std::make_unique<QtFilePicker>(this))),
      profile_(
          OwnedOrDefault<ProfileStore>(services.profile, ownProfile_, std::make_unique<QtProfileStore>())),
      session_(
          std::make_unique<Session>(transport_, datagrams_, timers_, LinkPorts::FromEnvironment(), options)) {
    finder_ = new DeviceFinder(*profile_, *prompter_, LinkPorts::FromEnvironment(),
                               DiscoveryPortFromEnvironment(), this);
    session_->SetBaseTitle(" Velmar");
    setWindowTitle(QStringLiteral(" Velmar"));
    setSizeGripEnabled(true);

    status_ = new DeviceStatusGroup(session_->State(), session_->Connection(), this);
    routing_ = new RoutingArea(RoutingContext{*session_, *prompter_, *filePicker_}, this);
    auto* areas = new QHBoxLayout;
    areas->addWidget(BuildDeviceSelection(), 5);
    areas->addWidget(routing_, 6);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(areas, 1);
    layout->addWidget(status_);
    resize(1180, 620);

    auto* about = new QAction(QStringLiteral("&About Velmar..."), this);
    about->setShortcut(QKeySequence::HelpContents);
    connect(about, &QAction::triggered, this, &MainWindow::ShowAbout);
    addAction(about);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    session_->Views().mainWindow = this;
    session_->Views().statusPanel = status_;
    session_->Views().matrix = routing_;
    RegisterOwnCommands();
    connect(finder_, &DeviceFinder::listChanged, this, &MainWindow::ShowDeviceList);
    connect(finder_, &DeviceFinder::frameGoingAway, this, &MainWindow::OnFrameGoingAway);

    session_->SetConnected(false);
    finder_->Start();
}

MainWindow::~MainWindow() {
    session_->Views().mainWindow = nullptr;
    session_->Views().statusPanel = nullptr;
    session_->Views().matrix = nullptr;
    delete finder_;
    finder_ = nullptr;
}

QWidget* MainWindow::BuildDeviceSelection() {
    auto* group = new QGroupBox(QStringLiteral(" Device selection"), this);
    deviceList_ = new DeviceListView(group);
    refresh_ = new QPushButton(QStringLiteral("&Refresh"), group);
    settings_ = new QPushButton(QStringLiteral("&Settings"), group);
    addDevice_ = new QPushButton(QStringLiteral("&Add device"), group);
    addressField_ = new IpAddressEdit(group);
    connectButton_ = new QPushButton(QStringLiteral("Connect"), group);
    addressField_->SetAddress(kPresetAddress);
    // The address field and its button serve the list's connections; the operator picks a row.
    addressField_->hide();
    connectButton_->hide();
    for (QPushButton* button : {refresh_, settings_, addDevice_, connectButton_})
        button->setAutoDefault(false);

    connect(deviceList_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { ConnectRow(deviceList_->indexOfTopLevelItem(item)); });
    connect(deviceList_, &QWidget::customContextMenuRequested, this, &MainWindow::ShowContextMenu);
    connect(refresh_, &QPushButton::clicked, finder_, &DeviceFinder::StartDiscovery);
    connect(settings_, &QPushButton::clicked, this, [this] {
        if (settingsHandler_)
            settingsHandler_();
    });
    connect(addDevice_, &QPushButton::clicked, this, &MainWindow::OpenAddDevice);
    connect(connectButton_, &QPushButton::clicked, this, &MainWindow::ConnectOrClose);

    auto* hidden = new QHBoxLayout;
    hidden->addWidget(addressField_);
    hidden->addWidget(connectButton_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(refresh_);
    buttons->addWidget(settings_);
    buttons->addWidget(addDevice_);
    auto* layout = new QVBoxLayout(group);
    layout->addLayout(hidden);
    layout->addWidget(deviceList_, 1);
    layout->addLayout(buttons);
    return group;
}

void MainWindow::RegisterOwnCommands() {
    SetMenuHandler(MenuCommand::Refresh, [this] { finder_->StartDiscovery(); });
    SetMenuHandler(MenuCommand::Connect, [this] { ConnectRow(SelectedDeviceRow()); });
    SetMenuHandler(MenuCommand::Close, [this] {
        if (TargetIsConnectedFrame())
            session_->Disconnect();
    });
    SetMenuHandler(MenuCommand::RemoveFromList, [this] { finder_->RemoveFromList(SelectedDeviceRow()); });
    SetMenuHandler(MenuCommand::XyControl, [this] {
        if (!TargetIsConnectedFrame())
            return;
        XyControlWindow dialog(RoutingContext{*session_, *prompter_, *filePicker_}, this);
        dialog.exec();
    });
}

void MainWindow::SetMenuHandler(MenuCommand command, std::function<void()> handler) {
    menuHandlers_[command] = std::move(handler);
}

void MainWindow::ConnectOrClose() {
    if (session_->Connection().connected) {
        session_->Disconnect();
        return;
    }
    const ConnectionState& connection = session_->Connection();
    session_->Connect(addressField_->text().toStdString(), connection.deviceMode, connection.modelClass);
}

void MainWindow::ConnectRow(int row) {
    const auto& rows = finder_->List().Rows();
    if (row < 0 || static_cast<std::size_t>(row) >= rows.size())
        return;
    const DeviceRow target = rows[static_cast<std::size_t>(row)];
    ConnectionState& connection = session_->Connection();
    if (connection.connected && connection.connectedIp == target.address)
        return;
    if (connection.connected)
        session_->Disconnect();
    addressField_->SetAddress(target.address);
    connection.deviceMode = ModeFromAddressText(target.Column(DeviceColumn::Address));
    connection.modelClass = ModelClassFromListRow(target.Column(DeviceColumn::Type));
    ConnectOrClose();
}

bool MainWindow::TargetIsConnectedFrame() const {
    const ConnectionState& connection = session_->Connection();
    if (!connection.connected)
        return false;
    const int row = SelectedDeviceRow();
    if (row < 0)
        return true;
    const auto& rows = finder_->List().Rows();
    return static_cast<std::size_t>(row) < rows.size() &&
           rows[static_cast<std::size_t>(row)].address == connection.connectedIp;
}

std::vector<MenuEntry> MainWindow::ContextMenuEntries() const {
    const ConnectionState& connection = session_->Connection();
    const DeviceState& state = session_->State();
    const int row = SelectedDeviceRow();
    DeviceMenuContext context;
    context.rowSelected = row >= 0 && static_cast<std::size_t>(row) < finder_->List().Size();
    if (context.rowSelected) {
        const DeviceRow& selected = finder_->List().Rows()[static_cast<std::size_t>(row)];
        context.rowIsConnectedFrame = connection.connected && selected.address == connection.connectedIp;
        context.rowIsSavedDevice = finder_->Saved().Contains(selected.Column(DeviceColumn::Address));
    }
    context.connected = connection.connected;
    context.mode = connection.deviceMode;
    context.modelClass = connection.modelClass;
    context.version = MainSoftwareVersion(state);
    context.features = state.config.features;
    context.xyOption = connection.options.xy;
    context.zelOption = connection.options.zel;
    context.danteModulePresent = state.config.hwConf[kDanteModulePosition - 1].boardType != 0;
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
    connect(dialog, &QDialog::accepted, this, [this, dialog] { finder_->AddDevice(dialog->AddressText()); });
    dialog->open();
}

void MainWindow::ShowAbout() {
    auto* dialog = new AboutDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void MainWindow::SetTitle(std::string_view title) {
    setWindowTitle(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
}

void MainWindow::SetConnectedRowText(int column, std::string_view text) {
    if (column < 1 || column >= static_cast<int>(kDeviceColumnCount))
        return;
    finder_->SetRowText(session_->Connection().connectedIp, static_cast<DeviceColumn>(column),
                        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void MainWindow::RemoveConnectedRow() {
    if (const auto address = addressField_->Address())
        finder_->RemoveRowOf(*address);
}

void MainWindow::SetSettingsEnabled(bool enabled) {
    settings_->setEnabled(enabled);
}

void MainWindow::ConnectionChanged(bool connected) {
    connectButton_->setText(connected ? QStringLiteral("Close") : QStringLiteral("Connect"));
    status_->ConnectionChanged(connected);
    routing_->ConnectionChanged(connected);
    settings_->setEnabled(false);
    deviceList_->clearSelection();
    ShowDeviceList();
}

void MainWindow::ConnectFailed(int /*error*/) {
    prompter_->Warning(std::string(kConnectFailedText));
}

void MainWindow::ShowDeviceList() {
    const ConnectionState& connection = session_->Connection();
    deviceList_->Show(finder_->List().Rows(), connection.connected ? connection.connectedIp : 0);
}

void MainWindow::OnFrameGoingAway(std::uint32_t address) {
    const ConnectionState& connection = session_->Connection();
    if (connection.connected && connection.connectedIp == address)
        session_->Disconnect();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            event->accept();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    timers_.Stop(TimerId::KeepAlive);
    session_->StopStepper();
    finder_->SaveProfile();
    done(QDialog::Accepted);
    event->accept();
}

}  // namespace velmar
