#pragma once

#include <QMainWindow>
#include <QPushButton>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "console/ConsoleCore.h"
#include "console/DeviceFinder.h"
#include "console/DeviceListView.h"
#include "console/DeviceMenu.h"
#include "console/DeviceStatusGroup.h"
#include "console/LinkLostBanner.h"
#include "device/Session.h"
#include "device/ui/FilePicker.h"
#include "device/ui/Prompter.h"
#include "features/routing/view/RoutingArea.h"

namespace velmar {

// The console's main window: the device list, the crosspoint areas and the device status. It
// works on the application's console core and is the parent of every other window.
class MainWindow final : public QMainWindow {
    Q_OBJECT

  public:
    explicit MainWindow(ConsoleCore& core, QWidget* parent = nullptr);
    ~MainWindow() override;

    // As a double click on `row`: nothing for the connected frame, else close any link and
    // connect to the row's frame.
    void ConnectRow(int row);
    // Connects to a frame by its address text, as the device list writes it ('*' recovery mode,
    // '#' mode 2); the frame's own type then decides its class.
    void ConnectAddress(std::string_view addressText);
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

    ConsoleCore& Core() { return core_; }
    Session& GetSession() { return core_.GetSession(); }
    DeviceFinder& Finder() { return core_.Finder(); }
    DeviceListView& DeviceListWidget() { return *deviceList_; }
    DeviceStatusGroup& StatusGroup() { return *status_; }
    LinkLostBanner& Banner() { return *banner_; }
    RoutingArea& Routing() { return *routing_; }
    QPushButton& SettingsButton() { return *settings_; }
    QPushButton& RefreshButton() { return *refresh_; }
    QPushButton& AddDeviceButton() { return *addDevice_; }
    Prompter& GetPrompter() { return core_.GetPrompter(); }
    FilePicker& GetFilePicker() { return core_.GetFilePicker(); }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QWidget* BuildDeviceSelection();
    void ShowDeviceList();
    void RegisterOwnCommands();
    void OnFrameGoingAway(std::uint32_t address);
    void Subscribe();
    void ConnectionChanged();
    void SetConnectedRowText(DeviceColumn column, std::string_view text);

    ConsoleCore& core_;
    Session& session_;
    DeviceFinder& finder_;

    DeviceListView* deviceList_ = nullptr;
    QPushButton* refresh_ = nullptr;
    QPushButton* settings_ = nullptr;
    QPushButton* addDevice_ = nullptr;
    DeviceStatusGroup* status_ = nullptr;
    LinkLostBanner* banner_ = nullptr;
    RoutingArea* routing_ = nullptr;

    std::map<MenuCommand, std::function<void()>> menuHandlers_;
    std::function<void()> settingsHandler_;
    Subscriptions subscriptions_;
};

}  // namespace velmar
