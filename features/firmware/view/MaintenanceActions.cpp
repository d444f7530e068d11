#include "features/firmware/view/MaintenanceActions.h"

#include <QHostAddress>
#include <functional>
#include <memory>

#include "console/MainWindow.h"
#include "device/ActionOutcomes.h"
#include "device/DeviceModel.h"
#include "device/LinkPorts.h"
#include "features/firmware/core/FirmwareUnit.h"
#include "features/firmware/core/NetworkChoice.h"
#include "features/firmware/view/FirmwareWindow.h"
#include "features/firmware/view/NetworkSettingsDialog.h"
#include "features/identity/core/IdentityUnit.h"
#include "platform/qt/DiscoveryBroadcaster.h"
#include "protocol/TextEncoding.h"

namespace velmar {

namespace {

constexpr std::string_view kTelnetRefusal = "Programming not possible due to TELNET port connection";

// The address text of a device-list row without its mode mark.
std::string RowAddress(const DeviceRow& row) {
    return QHostAddress(row.address).toString().toStdString();
}

class Maintenance : public std::enable_shared_from_this<Maintenance> {
  public:
    Maintenance(MainWindow& window, ConsoleCore& core)
        : window_(window),
          core_(core),
          session_(core.GetSession()),
          prompter_(core.GetPrompter()),
          outcomes_(session_.Outcomes(), session_.Events(), session_.Connection()) {}

    void Restart() {
        if (session_.Connection().connected &&
            prompter_.Question(AboutFrame("Restart device", session_.Connection())))
            Track("Restart", [this] { session_.Feature<FirmwareUnit>().Restart(); });
    }

    void SwitchFirmware() {
        if (!session_.Connection().connected)
            return;
        const bool recovery = session_.Connection().deviceMode == DeviceMode::Recovery;
        if (prompter_.Question(AboutFrame(
                recovery ? "Restart device in application mode" : "Restart device in recovery mode",
                session_.Connection())))
            Track(recovery ? "Application firmware load" : "Recovery firmware load",
                  [this] { session_.Feature<FirmwareUnit>().SwitchFirmware(); });
    }

    void ClearSettings() {
        if (session_.Connection().connected &&
            prompter_.Question(
                AboutFrame("Clear device and return to factory settings", session_.Connection())))
            Track("Factory reset", [this] { session_.Feature<FirmwareUnit>().FactoryClear(); });
    }

    void FirmwareUpdate() {
        if (!session_.IsReady())
            return;
        if (session_.Connection().deviceMode == DeviceMode::Application && session_.Link().IsTelnetLink()) {
            prompter_.Warning(kTelnetRefusal);
            return;
        }
        auto* dialog = new FirmwareWindow(session_, prompter_, core_.GetFilePicker(), &window_);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->open();
    }

    void NetworkSettings() {
        const ConnectionState& connection = session_.Connection();
        const int index = window_.SelectedDeviceRow();
        const auto& rows = core_.Finder().List().Rows();
        if (index >= 0 && static_cast<std::size_t>(index) < rows.size()) {
            const DeviceRow& row = rows[static_cast<std::size_t>(index)];
            if (!connection.connected || row.address != connection.connectedIp) {
                ListedFrame(row);
                return;
            }
        }
        if (connection.connected)
            ConnectedFrame();
    }

  private:
    // The event log tells what became of the action's requests, with the frame's name: a leaving
    // word the frame refused or never answered leaves the frame where it was.
    void Track(const std::string& action, const std::function<void()>& send) {
        outcomes_.Track(action, send);
    }

    void ConnectedFrame() {
        const LanSettings& lan = session_.State().config.lan;
        const NetworkChoice current = ChoiceOf(lan);
        auto* dialog = Open(DecodeFrameText(session_.State().config.deviceName.View()), current,
                            DecodeFrameText(lan.mac.View()));
        QObject::connect(dialog, &QDialog::accepted, dialog, [self = shared_from_this(), dialog, current] {
            self->ApplyToConnectedFrame(current, dialog->Choice());
        });
    }

    void ApplyToConnectedFrame(const NetworkChoice& current, const NetworkChoice& chosen) {
        if (!session_.Connection().connected)
            return;
        // The automatic choice counts as a change by itself; its addresses are the frame's to pick.
        const bool unchanged = chosen.automatic == current.automatic &&
                               (chosen.automatic || NormalisedChoice(current) == chosen);
        if (unchanged)
            return;
        LanSettings wanted = session_.State().config.lan;
        StoreChoice(chosen, wanted);
        RequestProblem problem;
        // The frame image takes the new settings from the frame's own answer, as the frame holds them.
        outcomes_.Track(
            "Network settings",
            [&] { problem = session_.Feature<IdentityUnit>().SetNetworkSettings(wanted); },
            [self = weak_from_this()](const ActionSummary& summary) {
                if (const auto actions = self.lock(); actions && summary.allAnswered)
                    actions->session_.Feature<IdentityUnit>().NetworkSettings();
            });
        if (problem)
            prompter_.Warning(*problem);
    }

    void ListedFrame(const DeviceRow& row) {
        const std::string serial = row.Column(DeviceColumn::Serial);
        if (serial.empty())
            return;
        if (const auto problem = SerialProblem(serial)) {
            prompter_.Warning(*problem);
            return;
        }
        auto* dialog =
            Open(row.Column(DeviceColumn::Name), NetworkChoice{false, RowAddress(row), {}, {}}, {});
        QObject::connect(dialog, &QDialog::accepted, dialog,
                         [self = shared_from_this(), dialog, serial, address = row.address] {
                             self->SendSettingsMessage(serial, address, dialog->Choice());
                         });
    }

    void SendSettingsMessage(const std::string& serial, std::uint32_t address, const NetworkChoice& chosen) {
        const SettingsMessage message = BuildSettingsMessage(serial, chosen);
        if (!message.problem.empty()) {
            prompter_.Warning(message.problem);
            return;
        }
        if (session_.Connection().connected && session_.Connection().connectedIp == address)
            session_.Disconnect();
        core_.Finder().RemoveRowOf(address);
        if (DiscoveryBroadcaster(LinkPorts::FromEnvironment().echo).Send(message.datagram) == 0)
            prompter_.Warning(
                "The network settings could not be sent: no network interface took the message.");
    }

    // Modal to the main window, without blocking the caller: the answer comes as `accepted`.
    NetworkSettingsDialog* Open(const std::string& name, const NetworkChoice& current,
                                const std::string& mac) {
        auto* dialog = new NetworkSettingsDialog(name, current, mac, prompter_, &window_);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->open();
        return dialog;
    }

    MainWindow& window_;
    ConsoleCore& core_;
    Session& session_;
    Prompter& prompter_;
    ActionOutcomes outcomes_;
};

}  // namespace

void InstallMaintenance(MainWindow& window, ConsoleCore& core) {
    auto actions = std::make_shared<Maintenance>(window, core);
    window.SetMenuHandler(MenuCommand::Restart, [actions] { actions->Restart(); });
    window.SetMenuHandler(MenuCommand::SwitchFirmware, [actions] { actions->SwitchFirmware(); });
    window.SetMenuHandler(MenuCommand::ClearSettings, [actions] { actions->ClearSettings(); });
    window.SetMenuHandler(MenuCommand::FirmwareUpdate, [actions] { actions->FirmwareUpdate(); });
    window.SetMenuHandler(MenuCommand::NetworkSettings, [actions] { actions->NetworkSettings(); });
}

}  // namespace velmar
