#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "console/AddDeviceDialog.h"
#include "console/MainWindow.h"
#include "features/firmware/core/FirmwareUnit.h"
#include "features/routing/core/RoutingUnit.h"
#include "features/routing/view/XyControlWindow.h"
#include "tests/console/SimConsoleTest.h"

namespace velmar {
namespace {

using test::WaitUntil;

std::vector<std::string_view> Texts(const std::vector<MenuEntry>& entries) {
    std::vector<std::string_view> texts;
    for (const MenuEntry& entry : entries)
        texts.push_back(entry.command == MenuCommand::Separator ? "-" : entry.text);
    return texts;
}

// Sends one datagram from a frame's address to the console's discovery port, as a frame would.
void SendAsFrame(const char* frameAddress, std::uint16_t port, std::string_view datagram) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    inet_pton(AF_INET, frameAddress, &local.sin_addr);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local), 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::sendto(fd, datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    ::close(fd);
}

class ConsoleWindowTest : public test::SimConsoleTest {
  protected:
    // A console core as the application builds it, kept by the test so that it outlives the window.
    ConsoleCore& NewCore(ConsoleOptions options = {}) {
        cores_.push_back(std::make_unique<ConsoleCore>(options, Services()));
        return *cores_.back();
    }

    std::unique_ptr<MainWindow> OpenWindow(ConsoleOptions options = {}) {
        auto window = std::make_unique<MainWindow>(NewCore(options));
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return window;
    }

    static bool WaitForRow(MainWindow& window, std::string_view addressText) {
        return WaitUntil([&] { return RowOf(window, addressText) >= 0; });
    }

    static void DoubleClick(MainWindow& window, std::string_view addressText) {
        DeviceListView& list = window.DeviceListWidget();
        QTreeWidgetItem* item = list.topLevelItem(RowOf(window, addressText));
        ASSERT_NE(item, nullptr);
        const QPoint centre = list.visualItemRect(item).center();
        // Item views take a double click as the second click on a pressed item.
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, centre);
    }

    static bool WaitConnectedTo(MainWindow& window, const char* address) {
        return WaitUntil([&] {
            const ConnectionState& c = window.GetSession().Connection();
            return c.connected && c.connectedIp == ntohl(inet_addr(address));
        });
    }

    static bool GreenRow(MainWindow& window, std::string_view addressText) {
        QTreeWidgetItem* item = window.DeviceListWidget().topLevelItem(RowOf(window, addressText));
        return item != nullptr && item->background(0).color() == QColor(0, 255, 0);
    }

    std::vector<std::unique_ptr<ConsoleCore>> cores_;
};

TEST_F(ConsoleWindowTest, FramesAppearWithTheirFiveColumns) {
    auto window = OpenWindow();
    ASSERT_TRUE(WaitUntil([&] { return window->DeviceListWidget().topLevelItemCount() == 4; }));
    DeviceListView& list = window->DeviceListWidget();
    QTreeWidgetItem* studio = list.topLevelItem(RowOf(*window, "127.0.0.2"));
    ASSERT_NE(studio, nullptr);
    const QStringList expected = {"127.0.0.2", "1", "Studio A", "K5A", "K5A0011703042"};
    for (int column = 0; column < 5; ++column)
        EXPECT_EQ(studio->text(column), expected[column]);
    EXPECT_EQ(list.headerItem()->text(4), "S/N");
    EXPECT_TRUE(studio->font(0).bold() || list.font().bold());
    EXPECT_GE(RowOf(*window, "*127.0.0.5"), 0) << "the recovery-mode frame carries its mark";
    EXPECT_EQ(window->windowTitle(), " Velmar");
    EXPECT_FALSE(window->SettingsButton().isEnabled());

    // Refresh empties the list and the frames come back.
    window->RefreshButton().click();
    EXPECT_EQ(list.topLevelItemCount(), 0);
    EXPECT_TRUE(WaitUntil([&] { return list.topLevelItemCount() == 4; }));
}

TEST_F(ConsoleWindowTest, DoubleClickConnectsAndTheWindowFollowsTheFrame) {
    auto window = OpenWindow();
    ASSERT_TRUE(WaitForRow(*window, "127.0.0.3"));
    ASSERT_TRUE(WaitForRow(*window, "127.0.0.2"));
    DoubleClick(*window, "127.0.0.2");
    ASSERT_TRUE(WaitConnectedTo(*window, "127.0.0.2"));

    EXPECT_TRUE(WaitUntil([&] { return window->windowTitle() == " Velmar   ( Online - Studio A )"; }))
        << window->windowTitle().toStdString();
    DeviceStatusGroup& status = window->StatusGroup();
    EXPECT_TRUE(WaitUntil([&] { return status.FieldWidget(DeviceStatusGroup::Rate).text() == "48 kHz"; }));
    EXPECT_EQ(status.FieldWidget(DeviceStatusGroup::Fan3).text(), "OK");
    EXPECT_EQ(status.FieldWidget(DeviceStatusGroup::Sync).text(), "Internal");
    EXPECT_EQ(status.FieldWidget(DeviceStatusGroup::Rate).text(), "48 kHz");
    EXPECT_EQ(status.FieldWidget(DeviceStatusGroup::Psu2).text(), "OK");
    EXPECT_TRUE(status.FieldWidget(DeviceStatusGroup::Sync).isEnabled());
    EXPECT_FALSE(status.Alarmed(DeviceStatusGroup::Sync));
    EXPECT_TRUE(GreenRow(*window, "127.0.0.2"));
    EXPECT_FALSE(GreenRow(*window, "127.0.0.3"));
    EXPECT_TRUE(WaitUntil([&] { return window->SettingsButton().isEnabled(); }));

    // The frame reports trouble: the fields turn red while their texts stay valid names.
    sim_->Do("state 127.0.0.2 gsyncstat 2 3");
    sim_->Do("state 127.0.0.2 gpsustatus 2 1");
    EXPECT_TRUE(WaitUntil([&] { return status.FieldWidget(DeviceStatusGroup::Psu2).text() == "Faulty"; }));
    EXPECT_EQ(status.FieldWidget(DeviceStatusGroup::Sync).text(), "Word");
    EXPECT_TRUE(status.Alarmed(DeviceStatusGroup::Sync));
    EXPECT_TRUE(status.Alarmed(DeviceStatusGroup::Psu2));
    EXPECT_FALSE(status.Alarmed(DeviceStatusGroup::Psu1));

    // Double-clicking the green row changes nothing; another row moves the connection there.
    DoubleClick(*window, "127.0.0.2");
    QTest::qWait(100);
    EXPECT_TRUE(window->GetSession().Connection().connected);
    DoubleClick(*window, "127.0.0.3");
    ASSERT_TRUE(WaitConnectedTo(*window, "127.0.0.3"));
    EXPECT_TRUE(GreenRow(*window, "127.0.0.3"));
    EXPECT_FALSE(GreenRow(*window, "127.0.0.2"));
    // The compact unit has one supply: PSU 2 stays empty and disabled.
    EXPECT_TRUE(WaitUntil([&] { return status.FieldWidget(DeviceStatusGroup::Psu1).text() == "OK"; }));
    EXPECT_EQ(status.FieldWidget(DeviceStatusGroup::Psu2).text(), "");
    EXPECT_FALSE(status.FieldWidget(DeviceStatusGroup::Psu2).isEnabled());

    // A frame without a matrix still shows its supplies and fans, as velmar-cli status prints them.
    ASSERT_TRUE(WaitForRow(*window, "127.0.0.4"));
    DoubleClick(*window, "127.0.0.4");
    ASSERT_TRUE(WaitConnectedTo(*window, "127.0.0.4"));
    EXPECT_TRUE(WaitUntil([&] { return status.FieldWidget(DeviceStatusGroup::Fan3).text() == "OK"; }));
    for (const auto field : {DeviceStatusGroup::Psu1, DeviceStatusGroup::Psu2, DeviceStatusGroup::Fan1,
                             DeviceStatusGroup::Fan2, DeviceStatusGroup::Fan3}) {
        EXPECT_EQ(status.FieldWidget(field).text(), "OK") << field;
        EXPECT_TRUE(status.FieldWidget(field).isEnabled()) << field;
    }
    sim_->Do("state 127.0.0.4 gfanstatus 2 1");
    EXPECT_TRUE(WaitUntil([&] { return status.FieldWidget(DeviceStatusGroup::Fan2).text() == "Faulty"; }));
    EXPECT_TRUE(status.Alarmed(DeviceStatusGroup::Fan2));
    EXPECT_FALSE(window->SettingsButton().isEnabled());

    // Close from the menu: back to the disconnected window.
    window->DeviceListWidget().clearSelection();
    window->RunMenuCommand(MenuCommand::Close);
    EXPECT_FALSE(window->GetSession().Connection().connected);
    EXPECT_EQ(window->windowTitle(), " Velmar");
    EXPECT_EQ(status.FieldWidget(DeviceStatusGroup::Sync).text(), "");
    EXPECT_FALSE(status.FieldWidget(DeviceStatusGroup::Sync).isEnabled());
    EXPECT_FALSE(window->SettingsButton().isEnabled());
    EXPECT_FALSE(GreenRow(*window, "127.0.0.3"));
    EXPECT_TRUE(prompter_.shown.empty());
}

TEST_F(ConsoleWindowTest, TheDeviceMenuFollowsTheFrame) {
    auto window = OpenWindow();
    ASSERT_TRUE(WaitForRow(*window, "127.0.0.4"));
    ASSERT_TRUE(WaitForRow(*window, "*127.0.0.5"));
    ASSERT_TRUE(WaitForRow(*window, "127.0.0.2"));
    using Entries = std::vector<std::string_view>;
    EXPECT_EQ(Texts(window->ContextMenuEntries()), Entries{"Refresh"});
    window->DeviceListWidget().SelectRow(RowOf(*window, "127.0.0.4"));
    EXPECT_EQ(Texts(window->ContextMenuEntries()), (Entries{"Connect", "-", "Change Network settings ..."}));

    window->RunMenuCommand(MenuCommand::Connect);
    ASSERT_TRUE(WaitConnectedTo(*window, "127.0.0.4"));
    EXPECT_EQ(Texts(window->ContextMenuEntries()),
              (Entries{"Close", "-", "Network settings ...", "-", "Firmware update ...", "Load recovery mode",
                       "-", "Restart"}));
    // No matrix on a K5E.
    EXPECT_FALSE(window->Routing().Control().ConnectButton()->isEnabled());

    DoubleClick(*window, "*127.0.0.5");
    ASSERT_TRUE(WaitUntil([&] { return window->GetSession().Connection().connected; }));
    EXPECT_EQ(window->GetSession().Connection().deviceMode, DeviceMode::Recovery);
    EXPECT_EQ(Texts(window->ContextMenuEntries()),
              (Entries{"Close", "-", "HW configuration ...", "Network settings ...", "-",
                       "Firmware update ...", "Load application mode"}));
    EXPECT_TRUE(window->windowTitle().endsWith(" - using Telnet port"))
        << window->windowTitle().toStdString();

    DoubleClick(*window, "127.0.0.2");
    ASSERT_TRUE(WaitConnectedTo(*window, "127.0.0.2"));
    // Wait for the version that gates the channel tools.
    ASSERT_TRUE(WaitUntil([&] { return Texts(window->ContextMenuEntries())[5] == "Channel labels ..."; }));
    const Entries menu = Texts(window->ContextMenuEntries());
    EXPECT_EQ(Entries(menu.begin(), menu.begin() + 6),
              (Entries{"Close", "-", "Input status ...", "Health timeline ...", "-", "Channel labels ..."}));
    EXPECT_EQ(Entries(menu.end() - 5, menu.end()),
              (Entries{"Firmware update ...", "Load recovery mode", "Clear settings", "-", "Restart"}));
    EXPECT_TRUE(window->Routing().Control().ConnectButton()->isEnabled());
}

TEST_F(ConsoleWindowTest, ASilentOrDepartingFrameReturnsTheWindowToDisconnected) {
    auto window = OpenWindow();
    ASSERT_TRUE(WaitForRow(*window, "127.0.0.2"));
    DoubleClick(*window, "127.0.0.2");
    ASSERT_TRUE(WaitConnectedTo(*window, "127.0.0.2"));

    // "!" from another frame leaves the link alone; from the connected one it closes it.
    SendAsFrame("127.0.0.3", sim_->GetPorts().discovery, "!edev,0,1,2,'Wall box','LW16','LW160021804011'\r");
    QTest::qWait(400);
    EXPECT_TRUE(window->GetSession().Connection().connected);
    SendAsFrame("127.0.0.2", sim_->GetPorts().discovery, "!edev,0,1,1,'Studio A','K5A','K5A0011703042'\r");
    EXPECT_TRUE(WaitUntil([&] { return !window->GetSession().Connection().connected; }));
    EXPECT_EQ(window->windowTitle(), " Velmar");
    EXPECT_FALSE(GreenRow(*window, "127.0.0.2"));

    // Garbage on the discovery port makes no rows and breaks nothing.
    const int rows = window->DeviceListWidget().topLevelItemCount();
    for (const char* junk :
         {"", "!", ":edev", ":edev,0,\r", "?edev\r", ":edev,0,1,1,'x'", ":x,0,1,2,3,'a\r"}) {
        SendAsFrame("127.0.0.9", sim_->GetPorts().discovery, junk);
    }
    QTest::qWait(400);
    EXPECT_EQ(window->DeviceListWidget().topLevelItemCount(), rows);
    EXPECT_EQ(RowOf(*window, "127.0.0.9"), -1);

    DoubleClick(*window, "127.0.0.2");
    ASSERT_TRUE(WaitConnectedTo(*window, "127.0.0.2"));
    const QLineEdit& rate = window->StatusGroup().FieldWidget(DeviceStatusGroup::Rate);
    ASSERT_TRUE(WaitUntil([&] { return rate.text() == "48 kHz"; }));
    EXPECT_TRUE(window->Banner().isHidden());
    sim_->Do("fault 127.0.0.2 silent");
    // Two keep-alive periods without a word.
    EXPECT_TRUE(
        WaitUntil([&] { return !window->GetSession().Connection().connected; }, std::chrono::seconds(20)));
    // The last known state stays, greyed, under a banner that says what happened.
    EXPECT_EQ(rate.text(), "48 kHz");
    EXPECT_FALSE(rate.isEnabled());
    EXPECT_FALSE(window->Banner().isHidden());
    EXPECT_TRUE(window->Banner().text().startsWith("The link to Studio A (127.0.0.2) was lost at "))
        << window->Banner().text().toStdString();
    EXPECT_EQ(window->windowTitle(), " Velmar   ( Link lost - Studio A )");
    EXPECT_TRUE(prompter_.shown.empty()) << "a lost link asks nothing";

    // A frame that does not answer at all: the operator is told.
    window->DeviceListWidget().SelectRow(RowOf(*window, "127.0.0.2"));
    window->RunMenuCommand(MenuCommand::Connect);
    EXPECT_TRUE(WaitUntil([&] { return !prompter_.shown.empty(); }));
    EXPECT_EQ(prompter_.shown, std::vector<std::string>{"warning: Connect failed, target not responding"});
}

TEST_F(ConsoleWindowTest, ARestartedFrameComesBackToTheListByItself) {
    auto window = OpenWindow();
    ASSERT_TRUE(WaitForRow(*window, "127.0.0.2"));
    DoubleClick(*window, "127.0.0.2");
    ASSERT_TRUE(WaitConnectedTo(*window, "127.0.0.2"));
    window->GetSession().Feature<FirmwareUnit>().Restart();
    ASSERT_TRUE(WaitUntil([&] { return RowOf(*window, "127.0.0.2") < 0; }));
    // No Refresh: the frame is asked until it answers again.
    EXPECT_TRUE(WaitUntil([&] { return RowOf(*window, "127.0.0.2") >= 0; }, std::chrono::seconds(15)));
    EXPECT_GE(RowOf(*window, "127.0.0.3"), 0) << "the other rows stay";
}

TEST_F(ConsoleWindowTest, SavedDevicesSurviveARestartAndKeepTheirFullRow) {
    {
        auto window = OpenWindow();
        ASSERT_TRUE(WaitForRow(*window, "127.0.0.3"));
        // Listed already: refused with a message.
        window->Finder().AddDevice("127.0.0.3");
        EXPECT_EQ(prompter_.shown.back(), "information: Device already in the selection list");
        // Nothing answers there: refused with a message, nothing saved.
        window->OpenAddDevice();
        auto* dialog = window->findChild<AddDeviceDialog*>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(test::TitleFits(*dialog)) << "not \"Add de\u2026tion list\"";
        QDialogButtonBox* buttons = dialog->findChild<QDialogButtonBox*>();
        QTest::keyClicks(dialog->AddressField(), "127.0.0.770");
        EXPECT_EQ(dialog->AddressField()->text(), "127.0.0.770");  // not cut back to 127.0.0.77
        EXPECT_FALSE(buttons->button(QDialogButtonBox::Ok)->isEnabled());
        QTest::keyClick(dialog->AddressField(), Qt::Key_Backspace);
        EXPECT_TRUE(buttons->button(QDialogButtonBox::Ok)->isEnabled());
        dialog->accept();
        EXPECT_TRUE(WaitUntil([&] { return prompter_.shown.size() == 2; }));
        EXPECT_EQ(prompter_.shown.back(), "warning: Device 127.0.0.77 is not responding");
        // The dialog gives no text for 0.0.0.0 or 255.255.255.255: nothing happens at all.
        window->Finder().AddDevice(QString());

        // A listed frame is added while the list is being refreshed.
        window->Finder().StartDiscovery();
        window->Finder().AddDevice("127.0.0.3");
        EXPECT_TRUE(WaitUntil([&] { return window->Finder().Saved().Contains("127.0.0.3"); }));
        window->close();
    }
    EXPECT_EQ(profile_->Read("Devices", "Count"), "1");
    EXPECT_EQ(profile_->Read("Devices", "Device1"), "127.0.0.3");
    // A saved frame that never answers.
    profile_->Write("Devices", "Count", "2");
    profile_->Write("Devices", "Device2", "127.0.0.66");

    auto window = OpenWindow();
    ASSERT_TRUE(WaitForRow(*window, "127.0.0.66"));
    ASSERT_TRUE(WaitForRow(*window, "127.0.0.3"));
    QTest::qWait(800);  // past the reload of the saved devices
    const auto& rows = window->Finder().List().Rows();
    const DeviceRow& wallBox = rows[static_cast<std::size_t>(RowOf(*window, "127.0.0.3"))];
    EXPECT_EQ(wallBox.Column(DeviceColumn::Name), "Wall box");
    EXPECT_EQ(wallBox.Column(DeviceColumn::Serial), "LW160021804011");
    const DeviceRow& silent = rows[static_cast<std::size_t>(RowOf(*window, "127.0.0.66"))];
    EXPECT_EQ(silent.Column(DeviceColumn::Name), "");

    // Saved rows offer "Remove from list"; removing survives the next refresh.
    window->DeviceListWidget().SelectRow(RowOf(*window, "127.0.0.66"));
    const auto menu = Texts(window->ContextMenuEntries());
    EXPECT_EQ(menu, (std::vector<std::string_view>{"Connect", "-", "Remove from list", "-",
                                                   "Change Network settings ..."}));
    window->RunMenuCommand(MenuCommand::RemoveFromList);
    EXPECT_EQ(RowOf(*window, "127.0.0.66"), -1);
    window->RefreshButton().click();
    QTest::qWait(800);
    EXPECT_EQ(RowOf(*window, "127.0.0.66"), -1);
    EXPECT_GE(RowOf(*window, "127.0.0.3"), 0);
}

TEST_F(ConsoleWindowTest, EnterAndEscapeDoNotCloseTheWindow) {
    auto window = OpenWindow();
    QTest::keyClick(window.get(), Qt::Key_Escape);
    QTest::keyClick(window.get(), Qt::Key_Return);
    EXPECT_TRUE(window->isVisible());
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(profile_->Read("Devices", "Count"), "0");
}

// Windows come and go while the core runs on: a modeless window parented to the main window is
// deleted with it, and the frame's next report must reach nothing that is gone.
TEST_F(ConsoleWindowTest, ModelessWindowsCloseWithTheMainWindowWhileTheCoreRunsOn) {
    ConsoleCore& core = NewCore();
    auto window = std::make_unique<MainWindow>(core);
    window->show();
    ASSERT_TRUE(WaitForRow(*window, "127.0.0.2"));
    DoubleClick(*window, "127.0.0.2");
    ASSERT_TRUE(WaitConnectedTo(*window, "127.0.0.2"));
    const RoutingContext context{core.GetSession(), prompter_, files_};
    for (int i = 0; i < 3; ++i) {
        auto* xy = new XyControlWindow(context, window.get());
        xy->setModal(false);
        xy->show();
    }
    auto* secondView = new RoutingArea(context, window.get());
    secondView->setWindowFlag(Qt::Window);
    secondView->show();
    sim_->Do("state 127.0.0.2 gcross 5 7");
    ASSERT_TRUE(WaitUntil([&] { return core.GetSession().Feature<RoutingUnit>().Crosspoints()[4] == 7; }));

    window.reset();
    sim_->Do("state 127.0.0.2 gcross 5 8");
    sim_->Do("state 127.0.0.2 gsyncstat 2 3");
    EXPECT_TRUE(WaitUntil([&] { return core.GetSession().Feature<RoutingUnit>().Crosspoints()[4] == 8; }));
    core.GetSession().Disconnect();
    QTest::qWait(50);
}

}  // namespace
}  // namespace velmar
