#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "features/firmware/core/FirmwareEvents.h"
#include "features/firmware/core/FirmwareUnit.h"
#include "tests/device/SessionFixture.h"

namespace velmar::test {
namespace {

using namespace std::chrono_literals;
using V = std::vector<std::string>;

class FirmwareUnitTest : public SessionFixture {
  protected:
    FirmwareUnitTest() {
        subscriptions.push_back(session.Events().Subscribe<FirmwareProgress>(
            [this](const FirmwareProgress& e) { progress.push_back(e.acknowledged); }));
        subscriptions.push_back(session.Events().Subscribe<FirmwareRunEnded>(
            [this](const FirmwareRunEnded& e) { ended.push_back(e); }));
        ConnectAs(DeviceMode::Application, ModelClass::Full);
        transport.TakeSent();
    }

    // Starts an image and has the frame accept the begin.
    void Begin(std::vector<std::string> records) {
        ASSERT_FALSE(session.Feature<FirmwareUnit>().StartRun(std::move(records)));
        ASSERT_EQ(transport.TakeSent(), V{"&sprog,0"});
        Reply(":sprog,0,0");
    }

    std::vector<std::size_t> progress;
    std::vector<FirmwareRunEnded> ended;
    Subscriptions subscriptions;
};

TEST_F(FirmwareUnitTest, RecordsGoOneByOneAndTheEndOnlyAfterTheLastAcknowledgement) {
    ASSERT_FALSE(session.Feature<FirmwareUnit>().StartRun({"S0abc", "S1def", "S9end"}));
    EXPECT_EQ(transport.TakeSent(), V{"&sprog,0"});
    EXPECT_EQ(timers.Remaining("firmware watchdog"), 1000ms);
    EXPECT_TRUE(session.Feature<FirmwareUnit>().RunActive()) << "begin sent counts as busy";
    EXPECT_FALSE(session.IsReady());
    EXPECT_TRUE(session.Feature<FirmwareUnit>().StartRun({"S0"}).has_value())
        << "a second run while one is active";

    Reply(":sprog,0,0");
    EXPECT_EQ(transport.TakeSent(), V{"&sprog,1#S0abc"});
    EXPECT_EQ(timers.Remaining("firmware watchdog"), 10000ms);
    Reply(":sprog,0,0");  // a repeated begin answer is stale: nothing more goes out
    EXPECT_TRUE(transport.TakeSent().empty());
    Reply(":sprog,0,1");
    Reply(":sprog,0,1");
    EXPECT_EQ(transport.TakeSent(), (V{"&sprog,1#S1def", "&sprog,1#S9end"}));
    Reply(":sprog,0,1");
    EXPECT_EQ(transport.TakeSent(), V{"&sprog,2"});
    EXPECT_TRUE(ended.empty()) << "the end is not acknowledged yet";
    Reply(":sprog,0,2");
    EXPECT_TRUE(ended.empty()) << "the outcome comes on the watchdog's turn";
    timers.Advance(0ms);
    EXPECT_EQ(progress, (std::vector<std::size_t>{1, 2, 3}));
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(ended[0].outcome, FirmwareOutcome::Programmed);
    EXPECT_EQ(ended[0].acknowledged, 3u);
    EXPECT_FALSE(session.Feature<FirmwareUnit>().RunActive());
    timers.Advance(20000ms);
    EXPECT_EQ(ended.size(), 1u) << "no watchdog left behind";
}

TEST_F(FirmwareUnitTest, AnyRefusalOrSilenceEndsTheRunWithoutTheEndRequest) {
    struct Case {
        std::string name;
        std::vector<std::string> replies;  // after the begin was accepted
        std::chrono::milliseconds wait;
        FirmwareOutcome outcome;
        std::size_t acknowledged;
        std::int32_t status;
    };
    const std::vector<Case> cases{
        {"record refused", {":sprog,0,1", ":sprog,-5,1"}, 0ms, FirmwareOutcome::RecordRefused, 1, -5},
        {"frame stalls", {":sprog,0,1"}, 10000ms, FirmwareOutcome::Stalled, 1, 0},
        {"end refused",
         {":sprog,0,1", ":sprog,0,1", ":sprog,0,1", ":sprog,-4,2"},
         0ms,
         FirmwareOutcome::EndRefused,
         3,
         -4},
        {"end unanswered",
         {":sprog,0,1", ":sprog,0,1", ":sprog,0,1"},
         10000ms,
         FirmwareOutcome::EndUnanswered,
         3,
         0},
    };
    for (const Case& c : cases) {
        ended.clear();
        Begin({"S0", "S1", "S2"});
        for (const std::string& reply : c.replies)
            Reply(reply);
        timers.Advance(c.wait);
        const V sent = transport.TakeSent();
        ASSERT_EQ(ended.size(), 1u) << c.name;
        EXPECT_EQ(ended[0].outcome, c.outcome) << c.name;
        EXPECT_EQ(ended[0].acknowledged, c.acknowledged) << c.name;
        EXPECT_EQ(ended[0].status, c.status) << c.name;
        const bool endSent = std::find(sent.begin(), sent.end(), "&sprog,2") != sent.end();
        EXPECT_EQ(endSent, c.acknowledged == 3) << c.name << ": the end follows only a whole image";
        EXPECT_FALSE(session.Feature<FirmwareUnit>().RunActive()) << c.name;
    }
}

TEST_F(FirmwareUnitTest, StopSendsNothingMoreAndNeverTheEnd) {
    EXPECT_FALSE(session.Feature<FirmwareUnit>().Stop()) << "no run to stop";
    Begin({"S0", "S1", "S2"});
    Reply(":sprog,0,1");
    transport.TakeSent();
    EXPECT_TRUE(session.Feature<FirmwareUnit>().Stop());
    EXPECT_FALSE(session.Feature<FirmwareUnit>().Stop()) << "stopped once";
    Reply(":sprog,0,1");  // the record in flight is answered after the stop
    Reply(":sprog,0,1");
    timers.Advance(0ms);
    EXPECT_EQ(transport.TakeSent(), V{}) << "no record and no end after a stop";
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(ended[0].outcome, FirmwareOutcome::Stopped);
    EXPECT_EQ(ended[0].acknowledged, 1u);
    EXPECT_FALSE(session.Feature<FirmwareUnit>().RunActive());

    // Once the end is out the frame holds the whole image: too late to stop.
    ended.clear();
    Begin({"S0"});
    Reply(":sprog,0,1");
    EXPECT_EQ(transport.TakeSent(), (V{"&sprog,1#S0", "&sprog,2"}));
    EXPECT_FALSE(session.Feature<FirmwareUnit>().Stop());
    Reply(":sprog,0,2");
    timers.Advance(0ms);
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(ended[0].outcome, FirmwareOutcome::Programmed);
}

TEST_F(FirmwareUnitTest, AFailedStartIsReportedAndLeavesNothingRunning) {
    ASSERT_FALSE(session.Feature<FirmwareUnit>().StartRun({"S0"}));
    timers.Advance(1000ms);
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(ended[0].outcome, FirmwareOutcome::BeginUnanswered);
    EXPECT_FALSE(session.Feature<FirmwareUnit>().RunActive());

    ASSERT_FALSE(session.Feature<FirmwareUnit>().StartRun({"S0"}));
    Reply(":sprog,-4,0");
    timers.Advance(0ms);
    EXPECT_EQ(ended.back().outcome, FirmwareOutcome::BeginRefused);
    EXPECT_EQ(ended.back().status, -4);

    transport.TakeSent();
    EXPECT_TRUE(session.Feature<FirmwareUnit>().StartRun({"S0", "S" + std::string(255, '1')}).has_value());
    EXPECT_TRUE(session.Feature<FirmwareUnit>().StartRun({"S0", ""}).has_value());
    EXPECT_TRUE(session.Feature<FirmwareUnit>().StartRun({}).has_value());
    EXPECT_TRUE(transport.TakeSent().empty()) << "an image that does not fit is never begun";
    EXPECT_FALSE(session.Feature<FirmwareUnit>().StartRun({"S" + std::string(254, '1')}));
    EXPECT_EQ(transport.TakeSent(), V{"&sprog,0"});

    Reply(":sprog,0,0");
    session.Disconnect();
    timers.Advance(0ms);
    EXPECT_EQ(ended.back().outcome, FirmwareOutcome::LinkLost);
    EXPECT_FALSE(session.Feature<FirmwareUnit>().RunActive());
}

TEST_F(FirmwareUnitTest, RestartsFollowTheFramesModeAndAFactoryClearRereads) {
    // The link stays until the frame has taken the word: closed at once, it may go unread.
    const RequestHandle restart = session.Feature<FirmwareUnit>().RestartAfterProgramming();
    EXPECT_EQ(transport.TakeSent(), V{"&srestart,1"});
    EXPECT_TRUE(session.Connection().connected);
    Reply(":srestart,0");
    timers.Advance(0ms);
    EXPECT_EQ(restart->outcome, Outcome::Answered);
    EXPECT_EQ(events.framesLeaving, 1);
    EXPECT_FALSE(session.Connection().connected);

    const auto leaves = [&](DeviceMode mode, auto leave, const char* sent, const char* reply) {
        ConnectAs(mode, ModelClass::Full);
        timers.Advance(400ms);  // past the Telnet port's discarded start
        transport.TakeSent();
        (session.Feature<FirmwareUnit>().*leave)();
        EXPECT_EQ(transport.TakeSent(), V{sent});
        Reply(reply);
        timers.Advance(0ms);
        EXPECT_FALSE(session.Connection().connected) << sent;
    };
    leaves(DeviceMode::Recovery, &FirmwareUnit::RestartAfterProgramming, "&sloadapp,0", ":sloadapp,0,0");
    leaves(DeviceMode::Recovery, &FirmwareUnit::SwitchFirmware, "&sloadapp,0", ":sloadapp,0,0");
    leaves(DeviceMode::Application, &FirmwareUnit::SwitchFirmware, "&sloadboot", ":sloadboot,0");
    EXPECT_EQ(events.framesLeaving, 4);
    EXPECT_EQ(session.Feature<FirmwareUnit>().Restart(), nullptr);
    EXPECT_TRUE(transport.TakeSent().empty()) << "nothing without a connection";

    // A frame that refuses stays, and the operator hears of it.
    ConnectAs(DeviceMode::Application, ModelClass::Full);
    transport.TakeSent();
    std::vector<std::string> notices;
    const Subscription noticed =
        session.Events().Subscribe<ConsoleNotice>([&](const ConsoleNotice& n) { notices.push_back(n.text); });
    const RequestHandle refused = session.Feature<FirmwareUnit>().Restart();
    EXPECT_EQ(transport.TakeSent(), V{"&srestart,1"});
    Reply(":srestart,-2");
    timers.Advance(0ms);
    EXPECT_EQ(refused->outcome, Outcome::Refused);
    EXPECT_TRUE(session.Connection().connected);
    EXPECT_EQ(events.framesLeaving, 4);
    EXPECT_EQ(notices, V{"the frame refused srestart 1 (status -2)"});

    session.Feature<FirmwareUnit>().FactoryClear();
    EXPECT_EQ(transport.TakeSent(), V{"&sclear"});
    Reply(":sclear,-1");
    EXPECT_TRUE(transport.TakeSent().empty());
    Reply(":sclear,0");
    const V words = SentWords();
    EXPECT_NE(std::find(words.begin(), words.end(), "gip"), words.end()) << "the frame is read again";
    EXPECT_TRUE(session.Connection().connected);
}

}  // namespace
}  // namespace velmar::test
