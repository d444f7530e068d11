#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <cstdio>
#include <fstream>

#include "features/firmware/core/FirmwareUnit.h"
#include "features/firmware/view/FirmwareWindow.h"
#include "tests/console/ConsoleTestSupport.h"
#include "tests/device/CoreFakes.h"
#include "tests/support/FlashImage.h"
#include "tests/support/TempFolder.h"

namespace velmar::test {
namespace {

using namespace std::chrono_literals;
using V = std::vector<std::string>;

// Hands out one scripted choice of several files.
class ChoosingPicker final : public FilePicker {
  public:
    std::string OpenFile(const FileRequest&) override { return {}; }
    std::vector<std::string> OpenFiles(const FileRequest& request) override {
        titles.emplace_back(request.title);
        return std::exchange(chosen, {});
    }
    std::string SaveFile(const FileRequest&) override { return {}; }

    std::vector<std::string> chosen;
    std::vector<std::string> titles;
};

class FirmwareWindowTest : public ::testing::Test {
  protected:
    FirmwareWindowTest() : session(transport, datagrams, timers, LinkPorts{}, ConsoleOptions{}) {
        EnsureApplication();
    }
    ~FirmwareWindowTest() override {
        for (const std::string& file : files)
            std::remove(file.c_str());
    }

    void Connect(DeviceMode mode = DeviceMode::Application) {
        session.Connect("127.0.0.2", mode, ModelClass::Full);
        transport.FinishConnect(0);
        timers.Advance(400ms);  // past a Telnet link's hold
        transport.TakeSent();
    }
    void Reply(const std::string& line) { transport.Deliver(line + "\r"); }
    // The frame accepts `count` records in turn.
    void Accept(std::size_t count) {
        for (std::size_t i = 0; i < count; ++i)
            Reply(":sprog,0,1");
    }
    std::string Image(const std::string& name, std::size_t records, std::string_view lineEnd = "\n") {
        files.push_back(WriteFlashImage(test::OwnTempFolder() + "/" + name, records, lineEnd));
        return files.back();
    }
    std::size_t CountSent(const V& sent, std::string_view prefix) {
        return static_cast<std::size_t>(std::count_if(
            sent.begin(), sent.end(), [&](const std::string& line) { return line.starts_with(prefix); }));
    }

    FakeTimerService timers;
    RecordingTransport transport;
    FakeDatagramSocket datagrams;
    Session session;
    ScriptedPrompter prompter;
    ChoosingPicker picker;
    std::vector<std::string> files;
    // What reached the event log.
    V notices;
    Subscription heard = session.Events().Subscribe<ConsoleNotice>(
        [this](const ConsoleNotice& notice) { notices.push_back(notice.text); });
};

TEST_F(FirmwareWindowTest, FilesGoLastChosenFirstWithCountersAndTheRestartQuestionAfterTheEnd) {
    Connect();
    FirmwareWindow window(session, prompter, picker);
    window.show();
    const std::string a = Image("velmar-a.flash", 2);
    const std::string b = Image("velmar-b.flash", 3, "\r\n");
    const std::string c = Image("velmar-c.flash", 1000);
    picker.chosen = {a, b, c};
    prompter.answers = {true, true};
    window.FlashButton().click();
    EXPECT_EQ(picker.titles, V{"Open flash file"});
    EXPECT_EQ(prompter.shown, V{"question: Start programming flash\n\n127.0.0.2"});
    EXPECT_EQ(transport.TakeSent(), V{"&sprog,0"});
    EXPECT_EQ(window.FileName().text(), QStringLiteral("velmar-c.flash"));
    EXPECT_EQ(window.FileNumber().text(), QStringLiteral("File 1 of 3"));
    EXPECT_EQ(window.RecordsText().text(), QStringLiteral("of 1000 records programmed"));
    EXPECT_FALSE(window.CloseButton().isEnabled());
    window.reject();
    EXPECT_TRUE(window.isVisible()) << "no closing while a run is active";

    Reply(":sprog,0,0");
    Accept(63);
    EXPECT_EQ(window.Counter().text(), QStringLiteral("0"));
    Accept(1);
    EXPECT_EQ(window.Counter().text(), QStringLiteral("64"));
    Accept(36);
    EXPECT_EQ(window.Counter().text(), QStringLiteral("64"));
    EXPECT_EQ(window.Bar().value(), 10);
    Accept(837);
    EXPECT_EQ(window.Counter().text(), QStringLiteral("937")) << "every count from 937 on";
    Accept(63);
    const V sentC = transport.TakeSent();
    EXPECT_EQ(CountSent(sentC, "&sprog,1#"), 1000u);
    EXPECT_EQ(sentC.back(), "&sprog,2") << "the end follows the last accepted record";
    Reply(":sprog,0,2");
    timers.Advance(0ms);

    EXPECT_EQ(window.FileName().text(), QStringLiteral("velmar-b.flash"));
    EXPECT_EQ(window.FileNumber().text(), QStringLiteral("File 2 of 3"));
    EXPECT_EQ(transport.TakeSent(), V{"&sprog,0"});
    Reply(":sprog,0,0");
    Accept(3);
    const V sentB = transport.TakeSent();
    EXPECT_EQ(sentB.size(), 4u);
    EXPECT_EQ(sentB[0], FlashImageText(1).substr(0, 0) + "&sprog,1#" + FlashImageText(1).substr(0, 42))
        << "the record without its CR";
    Reply(":sprog,0,2");
    timers.Advance(0ms);
    EXPECT_EQ(window.FileNumber().text(), QStringLiteral("File 3 of 3"));
    EXPECT_EQ(window.Bar().value(), 0);
    Reply(":sprog,0,0");
    Accept(1);
    EXPECT_EQ(window.Bar().value(), 50) << "fewer than 100 records still move the bar";
    Accept(1);
    transport.TakeSent();
    Reply(":sprog,0,2");
    timers.Advance(0ms);
    EXPECT_EQ(prompter.shown.back(), "question: Flash successfully programmed.\nRestart device");
    EXPECT_EQ(notices, V{"127.0.0.2: flash programmed (3 files)."}) << "a good run is logged too";
    EXPECT_EQ(transport.TakeSent(), V{"&srestart,1"});
    EXPECT_TRUE(session.Connection().connected) << "the link stays until the frame took the word";
    Reply(":srestart,0");
    timers.Advance(0ms);
    EXPECT_FALSE(session.Connection().connected);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(FirmwareWindowTest, FailuresAreSaidWithTheirCauseDropTheRestAndFreeTheWindow) {
    Connect(DeviceMode::Recovery);
    FirmwareWindow window(session, prompter, picker);
    window.show();
    const std::string good = Image("velmar-good.flash", 3);
    const std::string bad = test::OwnTempFolder() + "/velmar-bad.flash";
    files.push_back(bad);
    std::ofstream(bad) << FlashImageText(1) << "\r\n"
                       << "S1" << std::string(300, '0') << "\r\n";

    picker.chosen = {bad, good};
    window.FlashButton().click();
    EXPECT_EQ(prompter.shown,
              V{"warning: Flash programming error on 127.0.0.2\n\n" + bad +
                ", line 3: the record has 302 characters; a programming request carries 255 at "
                "most."});
    EXPECT_TRUE(transport.TakeSent().empty());
    EXPECT_TRUE(window.CloseButton().isEnabled());

    prompter.shown.clear();
    picker.chosen = {good};
    prompter.answers = {false};
    window.FlashButton().click();
    EXPECT_TRUE(transport.TakeSent().empty()) << "No sends nothing";

    picker.chosen = {good};
    prompter.answers = {true};
    window.FlashButton().click();
    timers.Advance(1000ms);  // the begin is never answered
    EXPECT_EQ(prompter.shown.back(), "warning: Flash programming error on 127.0.0.2\n\n" + good +
                                         ": the frame did not answer the request to begin programming");
    EXPECT_TRUE(window.CloseButton().isEnabled());

    // A refused record: the window says where the run stopped, not the last counter it drew.
    const std::string big = Image("velmar-big.flash", 200);
    picker.chosen = {good, big};
    prompter.answers = {true};
    window.FlashButton().click();
    transport.TakeSent();
    Reply(":sprog,0,0");
    Accept(100);
    EXPECT_EQ(window.Counter().text(), QStringLiteral("64"));
    Reply(":sprog,-5,1");
    timers.Advance(0ms);
    const std::string refused = big + ": record 101 of 200 refused by the frame (status -5)";
    EXPECT_EQ(prompter.shown.back(), "warning: Flash programming error on 127.0.0.2\n\n" + refused);
    const V sent = transport.TakeSent();
    EXPECT_EQ(sent.size(), 101u);
    EXPECT_EQ(CountSent(sent, "&sprog,2"), 0u) << "no end after a partial image";
    EXPECT_EQ(window.Counter().text(), QStringLiteral("100"));
    EXPECT_EQ(window.Bar().value(), 50);
    EXPECT_EQ(window.FileName().text(), QStringLiteral("velmar-big.flash"));
    EXPECT_EQ(window.FileNumber().text(), QStringLiteral("File 1 of 2"));
    EXPECT_EQ(window.Outcome().text().toStdString(), refused);
    timers.Advance(20000ms);
    EXPECT_TRUE(transport.TakeSent().empty()) << "the second file is dropped";
    EXPECT_FALSE(window.StopButton().isEnabled());

    // A whole image in recovery: the question offers the application.
    picker.chosen = {good};
    prompter.answers = {true, false};
    window.FlashButton().click();
    Reply(":sprog,0,0");
    Accept(3);
    Reply(":sprog,0,2");
    timers.Advance(0ms);
    EXPECT_EQ(prompter.shown.back(),
              "question: Flash successfully programmed.\nRestart device and load application");
    EXPECT_TRUE(window.Outcome().text().isEmpty()) << "a new run clears the last one's outcome";
    EXPECT_TRUE(session.Connection().connected) << "No keeps the frame";
    window.CloseButton().click();
    EXPECT_FALSE(window.isVisible());
}

TEST_F(FirmwareWindowTest, StopEndsTheRunWithoutItsEndAndSaysWhereInTheWindowAndTheLog) {
    Connect();
    FirmwareWindow window(session, prompter, picker);
    window.show();
    const std::string a = Image("velmar-a.flash", 3);
    const std::string b = Image("velmar-b.flash", 200);
    EXPECT_FALSE(window.StopButton().isEnabled()) << "nothing to stop";
    picker.chosen = {a, b};
    prompter.answers = {true};
    window.FlashButton().click();
    EXPECT_TRUE(window.StopButton().isEnabled());
    Reply(":sprog,0,0");
    Accept(70);
    transport.TakeSent();
    window.StopButton().click();
    Accept(1);  // the record in flight is answered after the stop
    timers.Advance(0ms);
    EXPECT_EQ(CountSent(transport.TakeSent(), "&sprog"), 0u)
        << "no record, no end and no next file after a stop";
    EXPECT_FALSE(session.Feature<FirmwareUnit>().RunActive());
    EXPECT_EQ(prompter.shown, V{"question: Start programming flash\n\n127.0.0.2"}) << "no message box";
    const std::string stopped = b + ": stopped by the operator after 70 of 200 records";
    EXPECT_EQ(window.Outcome().text().toStdString(), stopped);
    EXPECT_EQ(window.Counter().text(), QStringLiteral("70"));
    EXPECT_EQ(window.FileNumber().text(), QStringLiteral("File 1 of 2"));
    EXPECT_EQ(notices, V{"127.0.0.2: flash programming " + stopped});
    EXPECT_FALSE(window.StopButton().isEnabled());
    EXPECT_TRUE(window.CloseButton().isEnabled());
    EXPECT_TRUE(session.Connection().connected) << "the frame is kept, as after any failed run";

    // Once the last record is accepted the end is out and there is nothing left to stop.
    picker.chosen = {a};
    prompter.answers = {true, false};
    window.FlashButton().click();
    Reply(":sprog,0,0");
    Accept(3);
    EXPECT_FALSE(window.StopButton().isEnabled());
    Reply(":sprog,0,2");
    timers.Advance(0ms);
    EXPECT_EQ(prompter.shown.back(), "question: Flash successfully programmed.\nRestart device");
}

}  // namespace
}  // namespace velmar::test
