#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "features/watch/core/FrameWatch.h"
#include "features/watch/core/HealthEvents.h"
#include "tests/device/CoreFakes.h"

namespace velmar::test {
namespace {

using namespace std::chrono_literals;

class FrameWatchTest : public ::testing::Test {
  protected:
    FrameWatchTest() {
        heard_ = rack_.Subscribe<HealthChanged>([this](const HealthChanged& e) {
            changes.push_back(e.what + " " + e.from + ">" + e.to);
            times.push_back(e.time);
        });
    }

    void Reply(const std::string& line) { transport.Deliver(line + "\r"); }
    std::vector<std::string> Take() {
        times.clear();
        return std::exchange(changes, {});
    }

    // Connects and answers the health start as a K5A with two supplies and fans 1 and 3.
    void ConnectAndAnswer() {
        watch.Start();
        transport.FinishConnect(0);
        Reply(":gdevid,0,7,'Caf\xe9'");
        Reply(":gdevinfo,0,'K5A',3,'SN1'");
        Reply(":gfanconf,0,5");
        Reply(":gpsuconf,0,3");
        Reply(":gfanstatus,0,1,0");
        Reply(":gfanstatus,0,3,0");
        Reply(":gpsustatus,0,1,0");
        Reply(":gpsustatus,0,2,0");
        timers.Advance(1000ms);
        Reply(":gactrate,0,2");
        Reply(":gsyncstat,0,1,0");
    }

    FakeTimerService timers;
    RecordingTransport transport;
    FakeDatagramSocket datagrams;
    EventHub rack_;
    FrameWatch watch{transport, datagrams, timers, LinkPorts{}, rack_, "127.0.0.2"};
    std::vector<std::string> changes;
    std::vector<std::chrono::system_clock::time_point> times;

  private:
    Subscription heard_;
};

TEST_F(FrameWatchTest, ReportsEachHealthValueOnceThenOnlyItsChanges) {
    ConnectAndAnswer();
    EXPECT_EQ(Take(),
              (std::vector<std::string>{"link >up", "mode >application", "name >Caf\xc3\xa9", "model >K5A",
                                        "fan1 >ok", "fan3 >ok", "psu1 >ok", "psu2 >ok", "sample-rate >48 kHz",
                                        "sync-source >Internal", "sync >locked"}));
    Reply("%gpsustatus,2,1");
    timers.Advance(2000ms);
    Reply("%gpsustatus,2,0");
    Reply("%gsyncstat,5,1");
    Reply("%gactrate,2");
    EXPECT_EQ(Take(), (std::vector<std::string>{"psu2 ok>fault", "psu2 fault>ok",
                                                "sync-source Internal>AES 1", "sync locked>unlocked"}));
    EXPECT_EQ(times[1] - times[0], 2000ms);
    EXPECT_EQ(watch.Value("psu2"), "ok");
}

TEST_F(FrameWatchTest, ASupplyNotifiedBeforeTheFrameSaysWhichAreFittedWaitsForTheAnswer) {
    watch.Start();
    transport.FinishConnect(0);
    Take();
    Reply("%gpsustatus,1,1");
    Reply("%gfanstatus,2,1");
    EXPECT_EQ(Take(), std::vector<std::string>{});
    Reply(":gfanconf,0,7");
    Reply(":gpsuconf,0,3");
    Reply(":gpsustatus,0,1,1");
    Reply(":gfanstatus,0,2,1");
    EXPECT_EQ(Take(), (std::vector<std::string>{"psu1 >fault", "fan2 >fault"}));
}

TEST_F(FrameWatchTest, AsksOnlyForHealthAndNeverSetsAnything) {
    ConnectAndAnswer();
    Reply(":ghwconf,0,10,1,'K5A013',''");
    Reply(":ghwconf,0,20,0,'',''");
    timers.Advance(60000ms);
    std::set<std::string> words;
    for (const std::string& line : transport.sent)
        words.insert(line.substr(0, line.find(',')));
    EXPECT_EQ(words, (std::set<std::string>{"?gdevid", "?gdevinfo", "?gfanconf", "?gpsuconf", "?gfanstatus",
                                            "?gpsustatus", "?gactrate", "?gsyncstat", "?aliverequest"}));
}

TEST_F(FrameWatchTest, ALostFrameIsAChangeAndIsConnectedAgainWithoutRepeatingWhatIsKnown) {
    ConnectAndAnswer();
    Take();
    timers.Advance(10000ms);  // two keep-alives unanswered
    EXPECT_EQ(Take(), (std::vector<std::string>{"link up>lost"}));
    EXPECT_EQ(transport.connects.size(), 1u);
    timers.Advance(FrameWatch::kRetry);
    ASSERT_EQ(transport.connects.size(), 2u);
    transport.FinishConnect(0);
    Reply(":gpsuconf,0,3");
    Reply(":gpsustatus,0,1,0");
    Reply(":gpsustatus,0,2,1");
    EXPECT_EQ(Take(), (std::vector<std::string>{"link lost>up", "psu2 ok>fault"}));
    transport.PeerCloses();
    EXPECT_EQ(Take(), (std::vector<std::string>{"link up>lost"}));
}

TEST_F(FrameWatchTest, AnUnreachableFrameIsReportedOnceAndTriedAgain) {
    datagrams.answer = false;
    watch.Start();
    timers.Advance(1000ms);
    EXPECT_EQ(Take(), (std::vector<std::string>{"link >unreachable"}));
    timers.Advance(3 * (FrameWatch::kRetry + 1000ms));
    EXPECT_TRUE(Take().empty());
    EXPECT_GE(datagrams.probes.size(), 4u);
    datagrams.answer = true;
    timers.Advance(FrameWatch::kRetry + 1000ms);
    ASSERT_FALSE(transport.connects.empty());
    transport.FinishConnect(0);
    EXPECT_EQ(Take(), (std::vector<std::string>{"link unreachable>up", "mode >application"}));
}

// The console's watch: its own link comes from an opener, and the focused session is shared
// while it is on the watched frame.
class SharedWatchTest : public ::testing::Test {
  protected:
    // A link the watch owns, counted so that the test sees it go.
    struct CountedLink final : WatchLink {
        explicit CountedLink(SharedWatchTest& owner)
            : test(owner),
              session(owner.own, owner.datagrams, owner.timers, LinkPorts{}, HealthOnlyOptions()) {
            ++owner.opened;
        }
        ~CountedLink() override { ++test.closed; }
        Session& Get() override { return session; }
        SharedWatchTest& test;
        Session session;
    };

    SharedWatchTest() {
        heard_ = rack_.Subscribe<HealthChanged>(
            [this](const HealthChanged& e) { changes.push_back(e.what + " " + e.from + ">" + e.to); });
    }
    std::vector<std::string> Take() { return std::exchange(changes, {}); }
    void FocusOn(const std::string& address) {
        focused.Connect(address, DeviceMode::Application, ModelClass::Full);
        focusTransport.FinishConnect(0);
    }
    void Focused(const std::string& line) { focusTransport.Deliver(line + "\r"); }
    void Own(const std::string& line) { own.Deliver(line + "\r"); }

    FakeTimerService timers;
    FakeDatagramSocket datagrams;
    RecordingTransport own;
    RecordingTransport focusTransport;
    Session focused{focusTransport, datagrams, timers, LinkPorts{}, ConsoleOptions{}};
    EventHub rack_;
    int opened = 0;
    int closed = 0;
    FrameWatch watch{[this](const std::string&, DeviceMode) { return std::make_unique<CountedLink>(*this); },
                     timers,
                     rack_,
                     "127.0.0.2",
                     DeviceMode::Application,
                     &focused};
    std::vector<std::string> changes;

  private:
    Subscription heard_;
};

TEST_F(SharedWatchTest, AFocusedFrameIsFollowedOverTheFocusedLinkAndItsOwnLinkReturnsWhenFocusMoves) {
    watch.Start();
    own.FinishConnect(0);
    Own(":gpsuconf,0,3");
    Own(":gpsustatus,0,2,0");
    EXPECT_EQ(Take(), (std::vector<std::string>{"link >up", "mode >application", "psu2 >ok"}));

    FocusOn("127.0.0.2");
    EXPECT_TRUE(watch.SharesFocused());
    EXPECT_EQ(closed, 1) << "one link to the frame is enough";
    Focused(":gpsuconf,0,3");
    Focused(":gpsustatus,0,2,1");
    Focused("%gsyncstat,5,1");
    EXPECT_EQ(Take(), (std::vector<std::string>{"psu2 ok>fault", "sync-source >AES 1", "sync >unlocked"}));

    // Another frame is focused: the watch takes its own link up again, and the frame was never
    // away, so its link is no change.
    FocusOn("127.0.0.3");
    EXPECT_FALSE(watch.SharesFocused());
    ASSERT_EQ(opened, 2);
    own.FinishConnect(0);
    Own(":gpsuconf,0,3");
    Own(":gpsustatus,0,2,0");
    EXPECT_EQ(Take(), (std::vector<std::string>{"psu2 fault>ok"}));
    Focused("%gpsustatus,2,1");
    EXPECT_TRUE(Take().empty()) << "the other frame's supply is not this one's";
}

TEST_F(SharedWatchTest, AWatchStartedOnTheFocusedFrameReadsWhatItKnowsAndALostFocusIsALostLink) {
    FocusOn("127.0.0.2");
    Focused(":gdevid,0,7,'Studio A'");
    Focused(":gfanconf,0,1");
    Focused(":gpsuconf,0,1");
    Focused(":gfanstatus,0,1,1");
    Focused(":gpsustatus,0,1,0");
    Focused(":gactrate,0,2");
    watch.Start();
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(Take(), (std::vector<std::string>{"link >up", "mode >application", "name >Studio A", "psu1 >ok",
                                                "psu2 >not fitted", "fan1 >fault", "sample-rate >48 kHz"}))
        << "the sync status is not read yet";
    focusTransport.PeerCloses();
    EXPECT_EQ(Take(), (std::vector<std::string>{"link up>lost"}));
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(watch.HasOwnLink()) << "the watch looks for the frame itself";
}

}  // namespace
}  // namespace velmar::test
