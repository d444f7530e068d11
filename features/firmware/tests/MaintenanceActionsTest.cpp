#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "console/MainWindow.h"
#include "features/firmware/view/FirmwareWindow.h"
#include "features/firmware/view/MaintenanceActions.h"
#include "features/firmware/view/NetworkSettingsDialog.h"
#include "tests/console/SimConsoleTest.h"
#include "tests/support/FlashImage.h"
#include "tests/tools/EventLoopWait.h"

namespace velmar {
namespace {

using test::WaitUntil;
using namespace std::chrono_literals;
using V = std::vector<std::string>;

// A UDP socket on the loopback broadcast address that stands in for the frames' settings port.
class SettingsPort {
  public:
    SettingsPort() : fd_(::socket(AF_INET, SOCK_DGRAM, 0)) {
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(0x7FFFFFFF);  // 127.255.255.255
        ::bind(fd_, reinterpret_cast<const sockaddr*>(&local), sizeof local);
        socklen_t size = sizeof local;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &size);
        port_ = ntohs(local.sin_port);
    }
    ~SettingsPort() { ::close(fd_); }
    std::uint16_t Port() const { return port_; }
    // The next datagram, or nothing within a second.
    std::optional<std::string> Receive() {
        pollfd watch{fd_, POLLIN, 0};
        if (::poll(&watch, 1, 1000) != 1)
            return std::nullopt;
        char buffer[512];
        const ssize_t size = ::recv(fd_, buffer, sizeof buffer, 0);
        return size < 0 ? std::nullopt
                        : std::optional<std::string>(std::string(buffer, static_cast<std::size_t>(size)));
    }

  private:
    int fd_;
    std::uint16_t port_ = 0;
};

class MaintenanceActionsTest : public test::SimConsoleTest {
  protected:
    MaintenanceActionsTest() : SimConsoleTest({"--restart-ms", "300"}) {}

    MainWindow& Open(ConsoleOptions options = {}) {
        core_ = std::make_unique<ConsoleCore>(options, Services());
        window_ = std::make_unique<MainWindow>(*core_);
        InstallMaintenance(*window_, *core_);
        window_->show();
        EXPECT_TRUE(WaitUntil([&] { return window_->Finder().List().Size() == 4; }));
        return *window_;
    }

    int RowOf(std::string_view addressText) { return SimConsoleTest::RowOf(*window_, addressText); }
    void Select(std::string_view addressText) {
        window_->DeviceListWidget().clearSelection();
        if (QTreeWidgetItem* item = window_->DeviceListWidget().topLevelItem(RowOf(addressText)))
            item->setSelected(true);
    }
    bool ConnectTo(std::string_view addressText) {
        window_->ConnectRow(RowOf(addressText));
        const ConnectionState& connection = window_->GetSession().Connection();
        const bool up = WaitUntil([&] { return connection.connected && connection.receiveReady; });
        QTest::qWait(300);  // the start sequence's answers
        return up;
    }
    // Every reply the session reads from now on, by word.
    void WatchReplies() {
        window_->GetSession().SetRecordObserver([this](const CommandMessage& m, bool isReply) {
            if (isReply)
                replies_.emplace_back(WordOf(static_cast<CommandCode>(m.code)));
        });
    }
    bool Replied(std::string_view word) {
        return std::find(replies_.begin(), replies_.end(), word) != replies_.end();
    }
    // Opens the dialog from the menu; the one closed before is gone by then.
    NetworkSettingsDialog* OpenNetworkSettings() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(window_->findChild<NetworkSettingsDialog*>(), nullptr);
        window_->RunMenuCommand(MenuCommand::NetworkSettings);
        return window_->findChild<NetworkSettingsDialog*>();
    }
    std::string Info(const std::string& address) { return sim_->Do("info " + address); }

    std::unique_ptr<ConsoleCore> core_;
    std::unique_ptr<MainWindow> window_;
    V replies_;
};

TEST_F(MaintenanceActionsTest, RestartModeSwitchAndFactoryClearAskFirstAndOnlyYesActs) {
    MainWindow& window = Open();
    ASSERT_TRUE(ConnectTo("127.0.0.2"));
    window.RunMenuCommand(MenuCommand::Restart);
    EXPECT_EQ(prompter_.shown, V{"question: Restart device\n\nStudio A (127.0.0.2)"});
    QTest::qWait(300);
    EXPECT_TRUE(window.GetSession().Connection().connected) << "No keeps the connection";

    ASSERT_EQ(sim_->Do("state 127.0.0.2 gdevid 1 'Renamed'"), "ok");
    ASSERT_TRUE(WaitUntil([&] {
        return window.Finder().List().Rows()[static_cast<std::size_t>(RowOf("127.0.0.2"))].Column(
                   DeviceColumn::Name) == "Renamed";
    }));
    V notices;
    Subscription heard = window.GetSession().Events().Subscribe<ConsoleNotice>(
        [&](const ConsoleNotice& notice) { notices.push_back(notice.text); });
    prompter_.answers = {true};
    window.RunMenuCommand(MenuCommand::ClearSettings);
    EXPECT_EQ(prompter_.shown.back(),
              "question: Clear device and return to factory settings\n\nRenamed (127.0.0.2)");
    EXPECT_TRUE(WaitUntil([&] { return !notices.empty(); }));
    EXPECT_EQ(notices, V{"Renamed (127.0.0.2): Factory reset: the frame took sclear."});
    EXPECT_TRUE(WaitUntil([&] { return window.GetSession().State().config.deviceName.View() == "Studio A"; }))
        << "the frame is read again after the clear";
    EXPECT_TRUE(window.GetSession().Connection().connected);

    prompter_.answers = {true};
    window.RunMenuCommand(MenuCommand::SwitchFirmware);
    EXPECT_EQ(prompter_.shown.back(), "question: Restart device in recovery mode\n\nStudio A (127.0.0.2)");
    // The link closes once the frame has taken the word.
    EXPECT_TRUE(WaitUntil([&] { return !window.GetSession().Connection().connected; }));
    EXPECT_EQ(RowOf("127.0.0.2"), -1) << "the row leaves until the frame answers again";
    EXPECT_TRUE(WaitUntil([&] { return Info("127.0.0.2").find("mode=recovery ") != std::string::npos; }));

    // The recovery frame is offered its application.
    ASSERT_TRUE(ConnectTo("*127.0.0.5"));
    prompter_.answers = {true};
    window.RunMenuCommand(MenuCommand::SwitchFirmware);
    EXPECT_EQ(prompter_.shown.back(), "question: Restart device in application mode\n\n127.0.0.5");
    EXPECT_TRUE(WaitUntil([&] { return Info("127.0.0.5").find("mode=application ") != std::string::npos; }));

    ASSERT_TRUE(ConnectTo("127.0.0.3"));
    prompter_.answers = {true};
    window.RunMenuCommand(MenuCommand::Restart);
    EXPECT_TRUE(WaitUntil([&] { return !window.GetSession().Connection().connected; }));
    EXPECT_EQ(RowOf("127.0.0.3"), -1);
}

TEST_F(MaintenanceActionsTest, FirmwareWindowIsRefusedOnTheTelnetPortOfARunningApplication) {
    ConsoleOptions telnet;
    telnet.telnet = true;
    MainWindow& window = Open(telnet);
    ASSERT_TRUE(ConnectTo("127.0.0.3"));
    window.RunMenuCommand(MenuCommand::FirmwareUpdate);
    EXPECT_EQ(prompter_.shown, V{"warning: Programming not possible due to TELNET port connection"});
    EXPECT_EQ(window.findChild<FirmwareWindow*>(), nullptr);

    ASSERT_TRUE(ConnectTo("*127.0.0.5"));
    window.RunMenuCommand(MenuCommand::FirmwareUpdate);
    FirmwareWindow* firmware = window.findChild<FirmwareWindow*>();
    ASSERT_NE(firmware, nullptr) << "recovery firmware is programmed on the Telnet port";
    firmware->reject();
}

TEST_F(MaintenanceActionsTest, ATenThousandRecordImageGoesInThroughTheWindowAndTheFrameRestarts) {
    MainWindow& window = Open();
    ASSERT_TRUE(ConnectTo("127.0.0.2"));
    const std::string image =
        test::WriteFlashImage(dir_.filePath(QStringLiteral("main.flash")).toStdString(), 10000);
    files_.names = {image};
    prompter_.answers = {true, true};
    window.RunMenuCommand(MenuCommand::FirmwareUpdate);
    FirmwareWindow* firmware = window.findChild<FirmwareWindow*>();
    ASSERT_NE(firmware, nullptr);
    firmware->FlashButton().click();
    ASSERT_TRUE(test::RunLoopUntil([&] { return prompter_.shown.size() == 2; }, 120s));
    EXPECT_EQ(prompter_.shown.back(), "question: Flash successfully programmed.\nRestart device");
    EXPECT_NE(Info("127.0.0.2").find("image-records=10000 "), std::string::npos);
    // The link closes once the frame has taken the restart.
    EXPECT_TRUE(WaitUntil([&] { return !window.GetSession().Connection().connected; }));
    EXPECT_EQ(RowOf("127.0.0.2"), -1);
    EXPECT_TRUE(WaitUntil([&] { return window.findChild<FirmwareWindow*>() == nullptr; }))
        << "the window closed";
}

TEST_F(MaintenanceActionsTest, NetworkSettingsOfTheConnectedFrameSendOnlyWhatChanged) {
    MainWindow& window = Open();
    ASSERT_EQ(sim_->Do("state 127.0.0.2 gdevid 1 'Caf\xe9\x80'"), "ok");
    ASSERT_TRUE(ConnectTo("127.0.0.2"));
    WatchReplies();
    const LanSettings lan = window.GetSession().State().config.lan;
    auto* dialog = OpenNetworkSettings();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(),
              QStringLiteral("Network settings for device <Caf\u00e9\u20ac> with MAC: ") +
                  QString::fromLatin1(lan.mac.View().data(), 12))
        << "the frame's name by the rule of every frame text";
    EXPECT_TRUE(test::TitleFits(*dialog)) << dialog->width();
    EXPECT_EQ(dialog->AddressField().text().toStdString(), lan.ip.View());
    EXPECT_EQ(dialog->AutomaticRadio().isChecked(), lan.dhcp != 0);
    dialog->accept();
    QTest::qWait(300);
    EXPECT_FALSE(Replied("sip")) << "nothing changed, nothing sent";

    // Only the automatic choice changes: that is a change.
    dialog = OpenNetworkSettings();
    ASSERT_NE(dialog, nullptr);
    dialog->AutomaticRadio().click();
    EXPECT_FALSE(dialog->AddressField().isEnabled());
    dialog->accept();
    EXPECT_TRUE(WaitUntil([&] { return Replied("sip"); }));
    EXPECT_TRUE(WaitUntil([&] { return window.GetSession().State().config.lan.dhcp == 1; }));

    dialog = OpenNetworkSettings();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->AutomaticRadio().isChecked());
    dialog->FixedBox().Caption()->click();
    EXPECT_TRUE(dialog->AddressField().isEnabled());
    dialog->AddressField().setText(QStringLiteral("0.0.0.0"));
    dialog->accept();
    EXPECT_EQ(prompter_.shown.back(), "warning: IP address 0.0.0.0 cannot be used.");
    EXPECT_TRUE(dialog->isVisible()) << "the operator corrects it or cancels";
    dialog->reject();
}

TEST_F(MaintenanceActionsTest, AFrameNotConnectedGetsTheSettingsMessageByItsSerialNumber) {
    Open();
    SettingsPort frames;
    qputenv("VELMAR_ECHO_PORT", QByteArray::number(frames.Port()));
    Select("127.0.0.3");
    auto* dialog = OpenNetworkSettings();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Network settings for device <Wall box>"));
    EXPECT_EQ(dialog->AddressField().text(), QStringLiteral("127.0.0.3"))
        << "never 0.0.0.0 for a known frame";
    EXPECT_EQ(dialog->MaskField().text(), QString());
    dialog->AddressField().setText(QStringLiteral("10.0.0.9"));
    dialog->MaskField().setText(QStringLiteral("255.255.255.0"));
    dialog->GatewayField().setText(QStringLiteral("10.0.0.1"));
    dialog->accept();
    EXPECT_EQ(frames.Receive(), "%eip,'LW160021804011',0,'10.0.0.9','255.255.255.0','10.0.0.1',1\r");
    EXPECT_EQ(RowOf("127.0.0.3"), -1);

    Select("127.0.0.4");
    dialog = OpenNetworkSettings();
    ASSERT_NE(dialog, nullptr);
    dialog->AutomaticRadio().click();
    dialog->accept();
    EXPECT_EQ(frames.Receive(), "%eip,'K5E0031902007',1,'0.0.0.0','0.0.0.0','0.0.0.0',1\r");
    sim_->ExportPorts();
}

}  // namespace
}  // namespace velmar
