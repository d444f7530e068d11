#pragma once

#include <QDialog>
#include <QPushButton>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "console/DeviceFinder.h"
#include "console/DeviceListView.h"
#include "console/DeviceMenu.h"
#include "console/DeviceStatusGroup.h"
#include "platform/qt/QtDatagramSocket.h"
#include "platform/qt/QtTcpTransport.h"
#include "platform/qt/QtTimerService.h"
#include "routing/RoutingArea.h"
#include "device/Session.h"
#include "device/ui/FilePicker.h"
#include "device/ui/Prompter.h"
#include "device/views/MainWindowView.h"
#include "widgets/IpAddressEdit.h"

namespace velmar {

// What the main window asks the operator through and keeps its profile in; a missing one is
// replaced by the platform's own.
struct ConsoleServices {
    Prompter* prompter = nullptr;
    FilePicker* filePicker = nullptr;
    ProfileStore* profile = nullptr;
};

// The console's main window: the device list, the crosspoint areas and the device status. It
// owns the session with the connected frame and is the parent of every other window.
class MainWindow final : public QDialog, public MainWindowView {
    Q_OBJECT

  public:
    explicit MainWindow(ConsoleOptions options, ConsoleServices services = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Connected: close the link. Otherwise connect to the address field's frame.
    void ConnectOrClose();
    // As a double click on `row`: nothing for the connected frame, else close any link and
    // connect to the row's frame.
    void ConnectRow(int row);
    int SelectedDeviceRow() const { return deviceList_->SelectedRow(); }

    // The device menu for the current selection and connection.
    std::vector<MenuEntry> ContextMenuEntries() const;
    void ShowContextMenu(const QPoint& position);
    void RunMenuCommand(MenuCommand command);
    // The windows of other parts plug their menu items and the Settings button in here.
    void SetMenuHandler(MenuCommand command, std::function<void()> handler);
    void SetSettingsHandler(std::function<void()> handler) { settingsHandler_ = std::move(handler); }
    // The guard of the window items: the selected row is the connected frame, or no row is
    // selected and a frame is connected.
    bool TargetIsConnectedFrame() const;
    // Opens the "Add device to selection list" dialog (not modal to the caller: returns at once).
    void OpenAddDevice();
    void ShowAbout();

    Session& GetSession() { return *session_; }
    DeviceFinder& Finder() { return *finder_; }
    DeviceListView& DeviceListWidget() { return *deviceList_; }
    DeviceStatusGroup& StatusGroup() { return *status_; }
    RoutingArea& Routing() { return *routing_; }
    QPushButton& SettingsButton() { return *settings_; }
    QPushButton& RefreshButton() { return *refresh_; }
    QPushButton& AddDeviceButton() { return *addDevice_; }
    Prompter& GetPrompter() { return *prompter_; }
    FilePicker& GetFilePicker() { return *filePicker_; }

    // MainWindowView
    void SetTitle(std::string_view title) override;
    void SetConnectedRowText(int column, std::string_view text) override;
    void RemoveConnectedRow() override;
    void SetSettingsEnabled(bool enabled) override;
    void ConnectionChanged(bool connected) override;
    void ConnectFailed(int error) override;

  public slots:
    // Enter and Escape end the classic dialog; this window ends only through its close command.
    void reject() override {}

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    QWidget* BuildDeviceSelection();
    void ShowDeviceList();
    void RegisterOwnCommands();
    void OnFrameGoingAway(std::uint32_t address);

    std::unique_ptr<Prompter> ownPrompter_;
    std::unique_ptr<FilePicker> ownFilePicker_;
    std::unique_ptr<ProfileStore> ownProfile_;
    Prompter* prompter_;
    FilePicker* filePicker_;
    ProfileStore* profile_;

    QtTimerService timers_;
    QtTcpTransport transport_;
    QtDatagramSocket datagrams_;
    std::unique_ptr<Session> session_;
    DeviceFinder* finder_ = nullptr;

    DeviceListView* deviceList_ = nullptr;
    QPushButton* refresh_ = nullptr;
    QPushButton* settings_ = nullptr;
    QPushButton* addDevice_ = nullptr;
    IpAddressEdit* addressField_ = nullptr;
    QPushButton* connectButton_ = nullptr;
    DeviceStatusGroup* status_ = nullptr;
    RoutingArea* routing_ = nullptr;

    std::map<MenuCommand, std::function<void()>> menuHandlers_;
    std::function<void()> settingsHandler_;
};

}  // namespace velmar
