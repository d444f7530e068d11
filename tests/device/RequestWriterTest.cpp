#include <gtest/gtest.h>

#include <algorithm>

#include "device/DeviceModel.h"
#include "device/FieldBindings.h"
#include "features/channeltools/core/ChannelToolsUnit.h"
#include "features/clock/core/ClockUnit.h"
#include "features/identity/core/IdentityUnit.h"
#include "features/interfaces/core/InterfacesUnit.h"
#include "features/networkaudio/core/NetworkAudioUnit.h"
#include "features/routing/core/RoutingUnit.h"
#include "tests/device/SessionFixture.h"

namespace velmar::test {
namespace {

// Captures the records themselves, to check the header the link completes.
class RecordSink final : public RequestSink {
  public:
    void SendRequest(CommandMessage& request) override { records.push_back(request); }
    std::vector<CommandMessage> records;
};

TEST(RequestWriter, BodyLengthsOfTheCatalogue) {
    EXPECT_EQ(RequestWriter::BodyLength(CommandCode::gcross), 16);
    EXPECT_EQ(RequestWriter::BodyLength(CommandCode::scross), 24);
    EXPECT_EQ(RequestWriter::BodyLength(CommandCode::gdevid), 8);
    EXPECT_EQ(RequestWriter::BodyLength(CommandCode::sdevid), 32);
    EXPECT_EQ(RequestWriter::BodyLength(CommandCode::sip), 63);
    EXPECT_EQ(RequestWriter::BodyLength(CommandCode::ghwconf), 48);
    EXPECT_EQ(RequestWriter::BodyLength(CommandCode::gswver), 148);
    EXPECT_EQ(RequestWriter::BodyLength(CommandCode::gdevfeature), 44);
    EXPECT_EQ(RequestWriter::BodyLength(CommandCode::gmadiinmode), 32);
    EXPECT_EQ(RequestWriter::BodyLength(CommandCode::smadidsdmode), 32);
    EXPECT_EQ(RequestWriter::BodyLength(CommandCode::slabel), 36);
    EXPECT_EQ(RequestWriter::BodyLength(CommandCode::sbkip), 79);
    EXPECT_EQ(RequestWriter::BodyLength(CommandCode::sbkname), 40);
    EXPECT_EQ(RequestWriter::BodyLength(CommandCode::gautorouteip), 12);
    EXPECT_EQ(RequestWriter::BodyLength(CommandCode::gcrossip), 108);
    EXPECT_EQ(RequestWriter::BodyLength(CommandCode::sprog), 268);
}

const ArgField* FieldAt(std::span<const ArgField> layout, std::uint16_t pos) {
    const auto it =
        std::find_if(layout.begin(), layout.end(), [pos](const ArgField& f) { return f.offset == pos; });
    return it == layout.end() ? nullptr : &*it;
}

// A binding whose position one side of the word does not carry, or whose value comes back
// changed, would write a setting the operator never made.
TEST(FieldBindings, EveryFieldIsCarriedByBothWordsAndSentBackAsRead) {
    for (const FieldBinding& field : FieldBindings()) {
        SCOPED_TRACE(std::string(Command(field.get).word) + " @" + std::to_string(field.pos));
        ASSERT_NE(FieldAt(Command(field.get).reply.All(), field.pos), nullptr);
        if (!field.HasSetWord())
            continue;
        ASSERT_NE(FieldAt(Command(field.set).request.All(), field.pos), nullptr);
        CommandMessage reply;
        reply.code = ToCode(field.get);
        reply.SetInt(14, field.Keyed() ? field.firstKey : 0);
        reply.SetInt(field.pos, 'a');  // reads as 97, and as "a" where the field is a text
        DeviceState state;
        ASSERT_TRUE(StoreBoundFields(state, reply));
        CommandMessage request;
        ASSERT_TRUE(FillSetRequest(state.config, field.set, field.firstKey, request));
        EXPECT_EQ(request.Int(field.pos), 'a');
    }
    for (const CardFieldBinding& field : CardFieldBindings()) {
        SCOPED_TRACE(std::string(Command(field.get).word) + " @" + std::to_string(field.pos));
        const ArgField* read = FieldAt(Command(field.get).reply.All(), field.pos);
        ASSERT_NE(read, nullptr);
        if (field.set == CommandCode::error)
            continue;
        const ArgField* sent = FieldAt(Command(field.set).request.All(), field.pos);
        ASSERT_NE(sent, nullptr);
        EXPECT_EQ(read->type, sent->type);
    }
}

class RequestsTest : public SessionFixture {};

TEST_F(RequestsTest, SendRequestCompletesTheHeader) {
    DeviceState state;
    RecordSink sink;
    RequestWriter requests(sink, state);
    requests.Send(CommandCode::scross, {{14, 5}, {18, 7}});
    ASSERT_EQ(sink.records.size(), 1u);
    EXPECT_EQ(sink.records[0].bodyLength, 24);
    EXPECT_EQ(sink.records[0].code, ToCode(CommandCode::scross));

    ConnectAs(DeviceMode::Application, ModelClass::Full);
    transport.TakeSent();
    session.Feature<RoutingUnit>().SetCrosspoint(5, 7);
    EXPECT_EQ(transport.TakeSent(), std::vector<std::string>{"&scross,5,7,0,0"});
}

TEST_F(RequestsTest, SetFormsTakeTheirValuesFromTheFrameState) {
    ConnectAs(DeviceMode::Application, ModelClass::Full);
    transport.TakeSent();
    DeviceState& state = session.MutableState();
    state.config.aliveTime = 30;
    state.config.psuConf = 3;
    state.config.madiOut[1] = {2, 1, 0, 1, 4};
    state.config.deviceId = 7;
    state.config.deviceName.Assign("Studio");
    session.Requests().SendSetting(CommandCode::salivetime);
    session.Requests().SendSetting(CommandCode::spsuconf);
    session.Feature<InterfacesUnit>().SetMadiModes(1);
    session.Feature<IdentityUnit>().SetDeviceId();
    EXPECT_EQ(transport.TakeSent(),
              (std::vector<std::string>{"&salivetime,30", "&spsuconf,3", "&smadiinmode,2,0",
                                        "&smadioutmode,2,1,0,1", "&smadidsdmode,2,4", "&sdevid,7,'Studio'"}));
    session.Feature<InterfacesUnit>().SetMadiModes(3);  // ports are 0..2
    session.Feature<ClockUnit>().SetSyncPriorities();
    EXPECT_EQ(transport.TakeSent().size(), 17u);

    // An address wanted is sent as wanted; the image keeps the frame's until the frame answers.
    Reply(":gip,0,0,'127.0.0.2','255.0.0.0','127.0.0.1','00-01'");
    LanSettings wanted = session.State().config.lan;
    wanted.ip.Assign("127.0.0.9");
    EXPECT_EQ(session.Feature<IdentityUnit>().SetNetworkSettings(wanted), std::nullopt);
    EXPECT_EQ(transport.TakeSent(), std::vector<std::string>{"&sip,0,'127.0.0.9','255.0.0.0','127.0.0.1'"});
    EXPECT_EQ(session.State().config.lan.ip.View(), "127.0.0.2");
}

TEST_F(RequestsTest, CrossIpChannelTextAndHostNames) {
    ConnectAs(DeviceMode::Application, ModelClass::Full);
    transport.TakeSent();
    session.Feature<NetworkAudioUnit>().SetCrossIp(1, "", 7, "other");
    session.Feature<NetworkAudioUnit>().SetCrossIp(1, "", 0, "");
    session.MutableState().config.danteName.Assign("frameA");
    session.Feature<NetworkAudioUnit>().SetCrossIp(2, "", 12, "");
    EXPECT_EQ(transport.TakeSent(), (std::vector<std::string>{"&scrossip,1,'localhost','07','other'",
                                                              "&scrossip,1,'localhost','','localhost'",
                                                              "&scrossip,2,'frameA','12','frameA'"}));
}

// The codec quotes texts without escaping: a comma would cut a label and a start character would
// begin a second command on the frame. Such texts are refused whole and nothing is sent.
TEST_F(RequestsTest, TextsTheWireCannotCarryAreRefusedAndNothingIsSent) {
    ConnectAs(DeviceMode::Application, ModelClass::Full);
    transport.TakeSent();
    ChannelToolsUnit& labels = session.Feature<ChannelToolsUnit>();
    EXPECT_EQ(labels.SetLabel(0, 5, "Gtr, amp 'L'"), "A label may not contain a comma.");
    EXPECT_EQ(labels.SetLabel(0, 5, "Gtr amp 'L'"), "A label may not contain a single quote.");
    EXPECT_EQ(labels.SetLabel(0, 5, "Vox\r&sclear"),
              "A label may not contain line breaks, tabs or other control characters.");
    EXPECT_EQ(labels.SetLabel(0, 5, "A label of 17 ch."), "A label is longer than 16 characters.");
    EXPECT_EQ(session.Feature<NetworkAudioUnit>().CrossIp(3, "rack:2"),
              "A device name may not contain the character ':'.");
    EXPECT_TRUE(session.Feature<NetworkAudioUnit>().SetCrossIp(3, "STUDIO-A", 4, "WALL,BOX").has_value());
    ConfigBlock& config = session.MutableState().config;
    config.deviceName.Assign("Studio?");
    EXPECT_EQ(session.Feature<IdentityUnit>().SetDeviceId(),
              "A device name may not contain the character '?'.");
    LanSettings lan;
    lan.ip.Assign("10.0.0.1%eth0");
    EXPECT_EQ(session.Feature<IdentityUnit>().SetNetworkSettings(lan),
              "An IP address may not contain the character '%'.");
    config.danteSecLan.dns.Assign("8.8.8.8!");
    EXPECT_EQ(session.Feature<NetworkAudioUnit>().SetDanteNetwork(true),
              "A DNS server address may not contain the character '!'.");
    config.danteName.Assign("A'B");
    EXPECT_TRUE(session.Feature<NetworkAudioUnit>().SetDanteName().has_value());
    EXPECT_TRUE(transport.TakeSent().empty());

    EXPECT_EQ(labels.SetLabel(0, 5, "Gtr amp L 16 ch."), std::nullopt);
    EXPECT_EQ(transport.TakeSent(), std::vector<std::string>{"&slabel,0,5,'Gtr amp L 16 ch.'"});
}

TEST_F(RequestsTest, LabelRunsStartAt513OnClassOneFrames) {
    ConnectAs(DeviceMode::Application, ModelClass::NoCards);
    transport.TakeSent();
    session.Feature<ChannelToolsUnit>().LabelRuns();
    const std::vector<std::string> lines = transport.TakeSent();
    ASSERT_EQ(lines.size(), 32u);
    EXPECT_EQ(lines[0], "?llabel,0,513,32");
    EXPECT_EQ(lines[1], "?llabel,1,513,32");
    EXPECT_EQ(lines[31], "?llabel,1,993,32");

    session.SetOptions({.telnet = false, .xy = false, .zel = true});
    EXPECT_EQ(ToolChannelBase(session.Connection()), 0);
}

TEST_F(RequestsTest, CardSetFormsCarryTheHeldValuesAndCheckTheirAddress) {
    ConnectAs(DeviceMode::Application, ModelClass::Full);
    transport.TakeSent();
    CardRecord& card = session.MutableState().config.cards[2];
    card.ad[7].micLevel = {true, 3, 5};
    card.sdi[1].embMode[3] = 2;
    card.madi.ports[1] = {1, 2, 3, 4, 5};
    card.madi.redundancyEnable = 1;
    InterfacesUnit& cards = session.Feature<InterfacesUnit>();
    cards.CardSetting(CommandCode::sadmiclevel, 3, 8);
    cards.CardSetting(CommandCode::sembmode, 3, 2, 4);
    cards.CardSetting(CommandCode::scmadioutmode, 3, 2);
    cards.CardSetting(CommandCode::scifred, 3);
    EXPECT_EQ(transport.TakeSent(), (std::vector<std::string>{"&sadmiclevel,3,8,-3.05", "&sembmode,3,2,4,2",
                                                              "&scmadioutmode,3,2,2,3,4", "&scifred,3,1,0"}));
    cards.CardSetting(CommandCode::scmadiinmode, 3);  // a port-addressed word without a port
    cards.CardSetting(CommandCode::sadmute, 3, 9);
    cards.CardSetting(CommandCode::sembmode, 3, 1, 5);
    cards.CardSetting(CommandCode::sadmute, 9, 1);
    cards.CardSetting(CommandCode::gadmute, 3, 1);  // not a card set form
    EXPECT_TRUE(transport.TakeSent().empty());
}

TEST_F(RequestsTest, RequestsWithoutALinkGoNowhere) {
    session.Feature<RoutingUnit>().SetCrosspoint(1, 1);
    session.Feature<InterfacesUnit>().CardSettings(1);
    EXPECT_TRUE(transport.sent.empty());
}

}  // namespace
}  // namespace velmar::test
