#include <gtest/gtest.h>

#include "tests/device/SessionFixture.h"

namespace velmar::test {
namespace {

// Captures the records themselves, to check the header the link completes.
class RecordSink final : public RequestSink {
  public:
    void SendRequest(CommandMessage& request) override { records.push_back(request); }
    std::vector<CommandMessage> records;
};

TEST(Requests, BodyLengthsOfTheCatalogue) {
    EXPECT_EQ(Requests::BodyLength(CommandCode::gcross), 16);
    EXPECT_EQ(Requests::BodyLength(CommandCode::scross), 24);
    EXPECT_EQ(Requests::BodyLength(CommandCode::gdevid), 8);
    EXPECT_EQ(Requests::BodyLength(CommandCode::sdevid), 32);
    EXPECT_EQ(Requests::BodyLength(CommandCode::sip), 63);
    EXPECT_EQ(Requests::BodyLength(CommandCode::ghwconf), 48);
    EXPECT_EQ(Requests::BodyLength(CommandCode::gswver), 148);
    EXPECT_EQ(Requests::BodyLength(CommandCode::gdevfeature), 44);
    EXPECT_EQ(Requests::BodyLength(CommandCode::gmadiinmode), 32);
    EXPECT_EQ(Requests::BodyLength(CommandCode::smadidsdmode), 32);
    EXPECT_EQ(Requests::BodyLength(CommandCode::slabel), 36);
    EXPECT_EQ(Requests::BodyLength(CommandCode::sbkip), 79);
    EXPECT_EQ(Requests::BodyLength(CommandCode::sbkname), 40);
    EXPECT_EQ(Requests::BodyLength(CommandCode::gautorouteip), 12);
    EXPECT_EQ(Requests::BodyLength(CommandCode::gcrossip), 108);
    EXPECT_EQ(Requests::BodyLength(CommandCode::sprog), 268);
}

class RequestsTest : public SessionFixture {};

TEST_F(RequestsTest, SendRequestCompletesTheHeader) {
    DeviceState state;
    ConnectionState connection;
    RecordSink sink;
    Requests requests(sink, state, connection);
    requests.SetCrosspoint(5, 7);
    ASSERT_EQ(sink.records.size(), 1u);
    EXPECT_EQ(sink.records[0].bodyLength, 24);
    EXPECT_EQ(sink.records[0].code, ToCode(CommandCode::scross));

    ConnectAs(DeviceMode::Application, 0);
    transport.TakeSent();
    session.Request().SetCrosspoint(5, 7);
    EXPECT_EQ(transport.TakeSent(), std::vector<std::string>{"&scross,5,7,0,0"});
}

TEST_F(RequestsTest, SetFormsTakeTheirValuesFromTheFrameState) {
    ConnectAs(DeviceMode::Application, 0);
    transport.TakeSent();
    DeviceState& state = session.State();
    state.config.aliveTime = 30;
    state.config.psuConf = 3;
    state.config.madiOut[1] = {2, 1, 0, 1, 4};
    state.config.deviceId = 7;
    state.config.deviceName.Assign("Studio");
    session.Request().Setting(CommandCode::galivetime, true);
    session.Request().Setting(CommandCode::gpsuconf, true);
    session.Request().MadiModes(1, true);
    session.Request().DeviceId(true);
    EXPECT_EQ(transport.TakeSent(),
              (std::vector<std::string>{"&salivetime,30", "&spsuconf,3", "&smadiinmode,2,0",
                                        "&smadioutmode,2,1,0,1", "&smadidsdmode,2,4", "&sdevid,7,'Studio'"}));
    session.Request().MadiModes(3, false);  // ports are 0..2
    EXPECT_TRUE(transport.TakeSent().empty());
}

TEST_F(RequestsTest, CrossIpChannelTextAndHostNames) {
    ConnectAs(DeviceMode::Application, 0);
    transport.TakeSent();
    EXPECT_FALSE(session.Request().SetCrossIp(1, "", 7, "other"));
    EXPECT_FALSE(session.Request().SetCrossIp(1, "", 0, ""));
    session.State().config.danteName.Assign("frameA");
    EXPECT_FALSE(session.Request().SetCrossIp(2, "", 12, ""));
    EXPECT_EQ(transport.TakeSent(), (std::vector<std::string>{"&scrossip,1,'localhost','07','other'",
                                                              "&scrossip,1,'localhost','','localhost'",
                                                              "&scrossip,2,'frameA','12','frameA'"}));
}

// A text the wire cannot carry would cut or restart the line on the frame: the request tells why
// and sends nothing, and the sound requests around it still go out.
TEST_F(RequestsTest, TextsTheWireCannotCarryAreRefusedAndNothingIsSent) {
    DeviceState state;
    ConnectionState connection;
    connection.connected = true;
    RecordSink sink;
    Requests requests(sink, state, connection);

    EXPECT_EQ(requests.SetLabel(0, 5, "Gtr, amp 'L'"), "A label may not contain a comma.");
    EXPECT_EQ(requests.SetLabel(0, 5, "Gtr amp 'L'"), "A label may not contain a single quote.");
    EXPECT_EQ(requests.SetLabel(0, 5, "Vox\r&sclear"),
              "A label may not contain line breaks, tabs or other control characters.");
    EXPECT_EQ(requests.SetLabel(0, 5, "A label of 17 ch."), "A label is longer than 16 characters.");
    EXPECT_EQ(requests.CrossIp(3, "rack:2"), "A device name may not contain the character ':'.");
    EXPECT_TRUE(requests.SetCrossIp(3, "STUDIO-A", 4, "WALL,BOX").has_value());
    state.config.deviceName.Assign("Studio?");
    EXPECT_EQ(requests.DeviceId(true), "A device name may not contain the character '?'.");
    state.config.lan.ip.Assign("10.0.0.1%eth0");
    EXPECT_EQ(requests.NetworkSettings(true), "An IP address may not contain the character '%'.");
    state.config.danteSecLan.dns.Assign("8.8.8.8!");
    EXPECT_EQ(requests.DanteNetwork(true, true), "A DNS server address may not contain the character '!'.");
    state.config.danteName.Assign("A'B");
    EXPECT_TRUE(requests.DanteName(true).has_value());
    EXPECT_TRUE(sink.records.empty());

    EXPECT_EQ(requests.SetLabel(0, 5, "Gtr amp L 16 ch."), std::nullopt);
    EXPECT_EQ(requests.DeviceId(false), std::nullopt);  // a get form carries no text of ours
    ASSERT_EQ(sink.records.size(), 2u);
    EXPECT_EQ(sink.records[0].Text(22, 17), "Gtr amp L 16 ch.");
}

TEST_F(RequestsTest, LabelRunsStartAt513OnClassOneFrames) {
    ConnectAs(DeviceMode::Application, 1);
    transport.TakeSent();
    session.Request().LabelRuns();
    const std::vector<std::string> lines = transport.TakeSent();
    ASSERT_EQ(lines.size(), 32u);
    EXPECT_EQ(lines[0], "?llabel,0,513,32");
    EXPECT_EQ(lines[1], "?llabel,1,513,32");
    EXPECT_EQ(lines[31], "?llabel,1,993,32");

    session.Connection().options.zel = true;
    EXPECT_EQ(session.Request().ToolBase(), 0);
}

TEST_F(RequestsTest, CardSetFormsCarryTheHeldValuesAndCheckTheirAddress) {
    ConnectAs(DeviceMode::Application, 0);
    transport.TakeSent();
    CardRecord& card = session.State().config.cards[2];
    card.ad[7].micLevel = {true, 3, 5};
    card.sdi[1].embMode[3] = 2;
    card.madi.ports[1] = {1, 2, 3, 4, 5};
    card.madi.redundancyEnable = 1;
    Requests& requests = session.Request();
    requests.CardSetting(CommandCode::sadmiclevel, 3, 8);
    requests.CardSetting(CommandCode::sembmode, 3, 2, 4);
    requests.CardSetting(CommandCode::scmadioutmode, 3, 2);
    requests.CardSetting(CommandCode::scifred, 3);
    EXPECT_EQ(transport.TakeSent(), (std::vector<std::string>{"&sadmiclevel,3,8,-3.05", "&sembmode,3,2,4,2",
                                                              "&scmadioutmode,3,2,2,3,4", "&scifred,3,1,0"}));
    requests.CardSetting(CommandCode::scmadiinmode, 3);  // a port-addressed word without a port
    requests.CardSetting(CommandCode::sadmute, 3, 9);
    requests.CardSetting(CommandCode::sembmode, 3, 1, 5);
    requests.CardSetting(CommandCode::sadmute, 9, 1);
    requests.CardSetting(CommandCode::gadmute, 3, 1);  // not a card set form
    EXPECT_TRUE(transport.TakeSent().empty());
}

TEST_F(RequestsTest, RequestsWithoutALinkGoNowhere) {
    session.Request().SetCrosspoint(1, 1);
    session.Request().CardSettings(1);
    EXPECT_TRUE(transport.sent.empty());
}

}  // namespace
}  // namespace velmar::test
