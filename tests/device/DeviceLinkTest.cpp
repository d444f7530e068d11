#include <gtest/gtest.h>

#include "device/DryRunTransport.h"
#include "features/routing/core/RoutingUnit.h"
#include "tests/device/SessionFixture.h"

namespace velmar::test {
namespace {

using namespace std::chrono_literals;

class DeviceLinkTest : public SessionFixture {
  protected:
    void SetUp() override {
        ConnectAs(DeviceMode::Application, ModelClass::Full);
        transport.TakeSent();
        session.SetRecordObserver([this](const CommandMessage& m, bool isReply) {
            dispatched.push_back(
                {std::string(WordOf(static_cast<CommandCode>(m.code < 179 ? m.code : 1))), isReply});
        });
    }

    std::vector<std::pair<std::string, bool>> dispatched;
};

TEST_F(DeviceLinkTest, SplitAndJoinedRepliesAreDispatchedOnceInOrder) {
    Receive(":gcross,0,5");
    EXPECT_TRUE(dispatched.empty());
    Receive(",7\r");
    ASSERT_EQ(dispatched.size(), 1u);
    EXPECT_EQ(session.Feature<RoutingUnit>().Crosspoints()[4], 7);

    dispatched.clear();
    Receive(":gcross,0,1,2\r%gcross,3,4\r:ggenrate,0,2\r");
    ASSERT_EQ(dispatched.size(), 3u);
    EXPECT_EQ(dispatched[0], (std::pair<std::string, bool>{"gcross", true}));
    EXPECT_EQ(dispatched[1], (std::pair<std::string, bool>{"gcross", false}));
    EXPECT_EQ(dispatched[2], (std::pair<std::string, bool>{"ggenrate", true}));
    ASSERT_GE(events.crosspoints.size(), 2u);
    EXPECT_EQ(events.crosspoints.end()[-2].origin, CrosspointOrigin::GetReply);
    EXPECT_EQ(events.crosspoints.back().origin, CrosspointOrigin::Notification);
}

TEST_F(DeviceLinkTest, ALineSplitAtEveryByteStillArrivesWhole) {
    const std::string line = ":gdevid,0,7,'Studio A'\r";
    for (char c : line)
        Receive(std::string(1, c));
    ASSERT_EQ(dispatched.size(), 1u);
    EXPECT_EQ(session.State().config.deviceName.View(), "Studio A");
    EXPECT_EQ(events.title, " Velmar   ( Online - Studio A )");
}

TEST_F(DeviceLinkTest, AKilobyteWithoutLineEndIsDroppedAndTheStreamResynchronises) {
    Receive(":gcross,0,9" + std::string(1013, 'x'));  // 1024 bytes, no carriage return
    Receive(",4\r:gcross,0,2,3\r");
    ASSERT_EQ(dispatched.size(), 1u);  // the tail ",4\r" of the lost line is garbage now
    EXPECT_EQ(session.Feature<RoutingUnit>().Crosspoints()[8], 0);
    EXPECT_EQ(session.Feature<RoutingUnit>().Crosspoints()[1], 3);
}

TEST_F(DeviceLinkTest, GarbageAndFloodsNeverGrowOrStopTheLink) {
    std::string flood;
    for (int i = 0; i < 2000; ++i)
        flood += "\x01\xff garbage ,,, '''\r";
    Receive(flood);
    Receive("!!!:::\r");
    Receive(":nosuchword,0,1\r:gcross,0,6,1\r");
    EXPECT_EQ(session.Feature<RoutingUnit>().Crosspoints()[5], 1);
    EXPECT_TRUE(session.Connection().connected);
}

// Until held everything reaches the frame; from then on nothing does, and each line goes to the
// callback whole however the writes cut it.
TEST(DryRunTransportTest, PassesUntilHeldThenHandsOnWholeLinesOnly) {
    RecordingTransport inner;
    std::vector<std::string> held;
    DryRunTransport dry(inner, [&](std::string_view line) { held.emplace_back(line); });
    const auto send = [&](std::string_view text) { dry.Send({text.data(), text.size()}); };
    send("&gserial\r");
    dry.Hold();
    send("&slabel,0,5,");
    EXPECT_TRUE(held.empty()) << "half a line";
    send("'Kick In'\r\n&scross,20,5,0,0\r");
    EXPECT_EQ(inner.TakeSent(), std::vector<std::string>{"&gserial"});
    EXPECT_EQ(held, (std::vector<std::string>{"&slabel,0,5,'Kick In'", "&scross,20,5,0,0"}));
}

TEST_F(DeviceLinkTest, FramesKeepAliveIsEchoedWithItsTagAndNotDispatched) {
    Receive("?aliverequest,*7\r?aliverequest\r");
    EXPECT_TRUE(dispatched.empty());
    EXPECT_EQ(transport.TakeSent(), (std::vector<std::string>{":aliverequest,0,*7", ":aliverequest,0"}));
    Receive(":aliverequest,0\r");  // the answer to our own keep-alive: counts as life, nothing else
    EXPECT_TRUE(dispatched.empty());
    EXPECT_TRUE(transport.TakeSent().empty());
    EXPECT_EQ(session.Connection().aliveCounter, 1);
}

TEST_F(DeviceLinkTest, FailedLinesAndFrameRequestsReachTheDispatcherAsNonReplies) {
    Receive(":gcross,0,123456,1\r&scross,1,2,0,0\r");
    ASSERT_EQ(dispatched.size(), 2u);
    EXPECT_EQ(dispatched[0].first, "error");  // code 179 mapped by the observer above
    EXPECT_FALSE(dispatched[1].second);
}

TEST_F(DeviceLinkTest, PeerCloseEntersTheDisconnectedStateSilently) {
    transport.PeerCloses();
    EXPECT_FALSE(session.Connection().connected);
    EXPECT_FALSE(transport.IsOpen());
    EXPECT_EQ(events.title, " Velmar   ( Link lost )") << "the title says so until the next connect";
    EXPECT_EQ(session.Connection().lostSince, timers.WallTime());
    EXPECT_TRUE(events.failures.empty());
}

class ConnectTest : public SessionFixture {};

TEST_F(ConnectTest, ApplicationFrameIsProbedThenConnectedOnTheTcpPort) {
    session.Connect("127.0.0.2", DeviceMode::Application, ModelClass::Full);
    ASSERT_EQ(datagrams.probes.size(), 1u);
    EXPECT_EQ(datagrams.probes[0], (std::pair<std::uint32_t, std::uint16_t>{kFrameAddress, 10002}));
    ASSERT_EQ(transport.connects.size(), 1u);
    EXPECT_EQ(transport.connects[0].second, 10003);
    EXPECT_FALSE(session.Connection().connected);  // not before the connect completes
    transport.FinishConnect(0);
    EXPECT_TRUE(session.Connection().connected);
    EXPECT_EQ(session.Connection().connectedIp, kFrameAddress);
    EXPECT_EQ(session.Connection().targetIpText.View(), "127.0.0.2");
    EXPECT_EQ(events.title, " Velmar   ( Online )");
    EXPECT_TRUE(timers.HasTimer("keep-alive"));
}

TEST_F(ConnectTest, RecoveryFrameGoesToTheTelnetPortWithoutProbe) {
    ConnectAs(DeviceMode::Recovery, ModelClass::Full);
    EXPECT_TRUE(datagrams.probes.empty());
    EXPECT_EQ(transport.connects.back().second, 23);
    EXPECT_EQ(events.title, " Velmar   ( Online ) - using Telnet port");
    EXPECT_FALSE(timers.HasTimer("keep-alive"));
}

TEST_F(ConnectTest, TelnetOptionProbesThenUsesTheTelnetPort) {
    ConnectAs(DeviceMode::Application, ModelClass::Full, true);
    EXPECT_EQ(datagrams.probes.size(), 1u);
    EXPECT_EQ(transport.connects.back().second, 23);
}

TEST_F(ConnectTest, SilentProbeFailsAfterOneSecondWithoutTcp) {
    datagrams.answer = false;
    session.Connect("127.0.0.2", DeviceMode::Application, ModelClass::Full);
    timers.Advance(950ms);
    EXPECT_TRUE(events.failures.empty());
    timers.Advance(100ms);
    EXPECT_EQ(events.failures, std::vector<int>{1});
    EXPECT_TRUE(transport.connects.empty());
}

TEST_F(ConnectTest, NoUdpSocketLetsTheTcpConnectDecide) {
    datagrams.canOpen = false;
    ConnectAs(DeviceMode::Application, ModelClass::Full);
}

TEST_F(ConnectTest, BadAddressesAndRefusedConnectsFail) {
    for (const char* address : {"0.0.0.0", "255.255.255.255", "127.0.0", "127.0.0.256", "host", ""}) {
        session.Connect(address, DeviceMode::Recovery, ModelClass::Full);
    }
    EXPECT_EQ(events.failures.size(), 6u);
    EXPECT_TRUE(transport.connects.empty());
    session.Connect("127.0.0.3", DeviceMode::Recovery, ModelClass::Full);
    transport.FinishConnect(111);
    EXPECT_EQ(events.failures.back(), 111);
    EXPECT_FALSE(session.Connection().connected);
}

TEST_F(ConnectTest, ReconnectingClosesTheOldLinkAndPausesFirst) {
    ConnectAs(DeviceMode::Application, ModelClass::Full);
    session.Connect("127.0.0.3", DeviceMode::Application, ModelClass::NoCards);
    EXPECT_FALSE(session.Connection().connected);
    EXPECT_EQ(transport.connects.size(), 1u);
    timers.Advance(200ms);
    EXPECT_EQ(transport.connects.size(), 2u);
    transport.FinishConnect(0);
    EXPECT_EQ(session.Connection().connectedIp, 0x7F000003u);
}

TEST_F(ConnectTest, TelnetLinkDropsTheFirst300msThenStarts) {
    ConnectAs(DeviceMode::Recovery, ModelClass::Full);
    EXPECT_TRUE(transport.TakeSent().empty());
    Receive("Welcome to the frame\r\n:gip,0,0,'10.0.0.9','255.0.0.0','10.0.0.1','00AABBCCDDEE'\r");
    timers.Advance(299ms);
    EXPECT_TRUE(session.State().config.lan.ip.Empty());
    timers.Advance(1ms);
    EXPECT_EQ(SentWords(), (std::vector<std::string>{"gip", "ghwconf", "gswver"}));
    Reply(":gip,0,0,'10.0.0.9','255.0.0.0','10.0.0.1','00AABBCCDDEE'");
    EXPECT_EQ(session.State().config.lan.ip.View(), "10.0.0.9");
}

TEST_F(ConnectTest, ATelnetLinkClosedDuringItsHoldDoesNotDeafenTheNextLink) {
    ConnectAs(DeviceMode::Recovery, ModelClass::Full);
    session.Disconnect();
    ConnectAs(DeviceMode::Application, ModelClass::Full);
    Reply(":gcross,0,1,9");
    EXPECT_EQ(session.Feature<RoutingUnit>().Crosspoints()[0], 9);
    session.Disconnect();
    EXPECT_EQ(session.Feature<RoutingUnit>().Crosspoints()[0], 0) << "a closed link forgets the matrix";
}

}  // namespace
}  // namespace velmar::test
