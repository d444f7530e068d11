#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/Frame.h"
#include "sim/Rack.h"
#include "sim/RackConfig.h"

namespace velmar::sim {
namespace {

// Talks to one frame of an in-process rack with request lines as a console writes them.
class FrameTest : public ::testing::Test {
  protected:
    FrameTest() : descriptions_(Descriptions()), rack_(descriptions_, 1000) {}

    static std::vector<FrameDescription> Descriptions() {
        std::vector<FrameDescription> descriptions = RackConfig::DefaultRack();
        RackConfig::AssignAddresses(descriptions);
        return descriptions;
    }

    // Sends the request lines (CR-separated in `text`) and returns the reply lines.
    std::vector<std::string> Ask(std::size_t frame, std::string text, std::int64_t now = 0) {
        replies_.clear();
        notifications_.clear();
        restart_ = false;
        text += '\r';
        std::size_t pos = 0;
        CommandMessage request;
        while (pos < text.size()) {
            const ReadResult result =
                reader_.Read(std::span<char>(text.data() + pos, text.size() - pos), request, Side::Request);
            if (result.consumed == 0)
                break;
            pos += result.consumed;
            if (!result.lineRead)
                continue;
            Responses out;
            rack_.At(frame).Handle(request, out, now);
            Split(out.reply, replies_);
            Split(out.notify, notifications_);
            restart_ = restart_ || out.restart;
        }
        return replies_;
    }

    std::string One(std::size_t frame, const std::string& line) {
        const std::vector<std::string> lines = Ask(frame, line);
        return lines.size() == 1 ? lines[0] : "(" + std::to_string(lines.size()) + " lines)";
    }

    static void Split(const std::string& bytes, std::vector<std::string>& lines) {
        std::size_t start = 0;
        for (std::size_t end = bytes.find('\r'); end != std::string::npos; end = bytes.find('\r', start)) {
            lines.push_back(bytes.substr(start, end - start));
            start = end + 1;
        }
    }

    std::vector<FrameDescription> descriptions_;
    Rack rack_;
    MessageCodec reader_;
    std::vector<std::string> replies_;
    std::vector<std::string> notifications_;
    bool restart_ = false;
};

constexpr std::size_t kK5A = 0;
constexpr std::size_t kLW16 = 1;
constexpr std::size_t kK5E = 2;
constexpr std::size_t kRecovery = 3;

TEST_F(FrameTest, SetStoresAnswersWithNewValuesAndNotifiesOthersWithTheGetWord) {
    EXPECT_EQ(One(kK5A, "&scross,5,7,0,0"), ":scross,0,5,7,0,0");
    ASSERT_EQ(notifications_, std::vector<std::string>{"%gcross,5,7"});
    EXPECT_EQ(One(kK5A, "?gcross,5"), ":gcross,0,5,7");
    EXPECT_TRUE(notifications_.empty()) << "a get changes nothing and notifies nobody";
    EXPECT_EQ(One(kK5A, "?lcross,1,6"), ":lcross,0,1,6,0,0,0,0,7,0");

    // Each frame keeps its own state.
    EXPECT_EQ(One(kLW16, "?gcross,5"), ":gcross,0,5,0");

    EXPECT_EQ(One(kK5A, "&slabel,1,12,'Mic 1'"), ":slabel,0,1,12,'Mic 1'");
    EXPECT_EQ(One(kK5A, "?llabel,1,11,3"), ":llabel,0,1,11,3,'','Mic 1',''");
    EXPECT_EQ(One(kK5A, "&sgain,0,3,-3.50,1,0"), ":sgain,0,0,3,-3.50,1,0");
    EXPECT_EQ(One(kK5A, "?ggain,0,3"), ":ggain,0,0,3,-3.50,1,0");
    EXPECT_EQ(One(kK5A, "&smadioutmode,2,1,0,1"), ":smadioutmode,0,2,1,0,1");
    EXPECT_EQ(One(kK5A, "?gmadioutmode,2"), ":gmadioutmode,0,2,1,0,1");
    EXPECT_EQ(One(kK5A, "&ssyncprio,4,9"), ":ssyncprio,0,4,9");
    EXPECT_EQ(One(kK5A, "?lsyncprio,2,3"), ":lsyncprio,0,2,3,1,0,9");
}

TEST_F(FrameTest, KeysOutsideTheirRangeAndMissingHardwareGiveErrorStatus) {
    EXPECT_EQ(One(kK5A, "?gcross,1536"), ":gcross,0,1536,0");
    EXPECT_EQ(One(kK5A, "?gcross,1537"), ":gcross,-1,1537");
    EXPECT_EQ(One(kLW16, "?gcross,1025"), ":gcross,-1,1025") << "an LW16 has 1024 channels";
    EXPECT_EQ(One(kK5A, "&scross,5,1537,0,0"), ":scross,-1,5,1537,0,0");
    EXPECT_EQ(One(kK5A, "?gcross,5"), ":gcross,0,5,0") << "a refused set leaves the state alone";
    EXPECT_TRUE(notifications_.empty());
    EXPECT_EQ(One(kK5A, "?lcross,1409,129"), ":lcross,-1,1409,129");
    EXPECT_EQ(One(kK5A, "?lcross,1409,128").size(), std::string(":lcross,0,1409,128").size() + 2 * 128);
    EXPECT_EQ(One(kK5A, "?lmaininpstatus,2,14"), ":lmaininpstatus,-1,2,14");

    // Slot 2 holds an AD card, slot 1 an SDI card, slot 7 nothing.
    EXPECT_EQ(One(kK5A, "?gadmute,2,8"), ":gadmute,0,2,8,0");
    EXPECT_EQ(One(kK5A, "?gadmute,1,8"), ":gadmute,-3,1,8,0");
    EXPECT_EQ(One(kK5A, "?gadmute,7,1"), ":gadmute,-3,7,1,0");
    EXPECT_EQ(One(kK5A, "?gadmute,2,9"), ":gadmute,-1,2,9,0");
    EXPECT_EQ(One(kK5E, "?gcross,1"), ":gcross,-3,1") << "a K5E has no matrix";
    EXPECT_EQ(One(kK5E, "?gbkname"), ":gbkname,-3") << "and no Dante module";

    EXPECT_EQ(One(kK5A, "?gnosuchword"), ":error,-2");
    EXPECT_EQ(One(kK5A, "?gcross"), ":gcross,-1,0") << "a missing argument";
    EXPECT_EQ(One(kK5A, "?gcross,abc"), ":gcross,-1,0") << "a malformed argument";
}

TEST_F(FrameTest, AnswersCarryWhatTheConsoleStoresAndTheTagItSent) {
    EXPECT_EQ(One(kK5A, "?gdevid,*12"), ":gdevid,0,1,'Studio A',*12");
    EXPECT_EQ(One(kK5A, "?gdevinfo"), ":gdevinfo,0,'K5A',1,'K5A0011703042'");
    EXPECT_EQ(One(kK5A, "?ghwconf,10"), ":ghwconf,0,10,1,'K5A0130001','ad card'");
    EXPECT_EQ(One(kK5A, "?ghwconf,5"), ":ghwconf,0,5");
    EXPECT_EQ(One(kK5A, "?gswver,2"), ":gswver,0,2,'APP','2.1.0.3','BOOT','1.0.2.0','FPGA','3.1.0.0'");
    EXPECT_EQ(One(kK5A, "?gpsustatus,2"), ":gpsustatus,0,2,0");
    EXPECT_EQ(One(kK5A, "?gbkname"), ":gbkname,0,'STUDIO-A'");
    EXPECT_EQ(One(kK5A, "?aliverequest"), ":aliverequest,0");
    EXPECT_EQ(One(kK5A, "&sadbrdtype,2,3,'x'"), ":sadbrdtype,0,2,3,'x'");
    EXPECT_EQ(One(kK5A, "?gadbrdtype,2"), ":gadbrdtype,0,2,3") << "the board type moves to the third word";
    const std::vector<std::string> gains = Ask(kK5A, "?lgain,1,1535,2");
    EXPECT_EQ(gains, (std::vector<std::string>{":ggain,0,1,1535,0.00,0,0", ":ggain,0,1,1536,0.00,0,0",
                                               ":lgain,0,1,1535,2"}));
}

TEST_F(FrameTest, RecoveryModeAnswersOnlyWhatItsFirmwareKnows) {
    EXPECT_EQ(One(kRecovery, "?gip"), ":gip,0,0,'127.0.0.5','255.0.0.0','127.0.0.1','0050C2000004'");
    EXPECT_EQ(One(kRecovery, "?gswver,2"), ":gswver,0,2,'APP','1.9.0.0','BOOT','1.0.2.0','FPGA','3.1.0.0'");
    EXPECT_EQ(One(kRecovery, "?gcross,1"), ":gcross,-3,1");
    EXPECT_EQ(One(kRecovery, "&sloadapp,0"), ":sloadapp,0,0");
    EXPECT_TRUE(restart_);
    Frame& frame = rack_.At(kRecovery);
    EXPECT_EQ(frame.PhaseAt(100), Frame::Phase::GoingAway);
    EXPECT_EQ(frame.PhaseAt(700), Frame::Phase::Down);
    EXPECT_FALSE(frame.Advance(999));
    EXPECT_TRUE(frame.Advance(1000));
    EXPECT_EQ(frame.Mode(), FrameMode::Application);
    EXPECT_EQ(One(kRecovery, "?gcross,1"), ":gcross,0,1,0");
}

TEST_F(FrameTest, FirmwareRecordsAreCountedCheckedAndTheLastImageKept) {
    const std::string record = "S1130000285F245F2212226A000424290008237C2A";
    EXPECT_EQ(One(kK5A, "&sprog,1#" + record), ":sprog,-4,1")
        << "a record before the begin is out of sequence";
    EXPECT_EQ(One(kK5A, "&sprog,0"), ":sprog,0,0");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(One(kK5A, "&sprog,1#" + record), ":sprog,0,1");
    EXPECT_EQ(One(kK5A, "&sprog,2"), ":sprog,0,2");
    EXPECT_EQ(rack_.At(kK5A).LastImageRecords(), 3);

    EXPECT_EQ(One(kK5A, "&sprog,0"), ":sprog,0,0");
    EXPECT_EQ(One(kK5A, "&sprog,1#" + record), ":sprog,0,1");
    std::string corrupt = record;
    corrupt[10] = corrupt[10] == '0' ? '1' : '0';
    EXPECT_EQ(One(kK5A, "&sprog,1#" + corrupt), ":sprog,-4,1") << "checksum mismatch";
    EXPECT_EQ(One(kK5A, "&sprog,0"), ":sprog,0,0");
    EXPECT_EQ(One(kK5A, "&sprog,1#S1120000285F245F2212226A000424290008237C2B"), ":sprog,-4,1")
        << "a count one short, the checksum made to fit";
    EXPECT_EQ(One(kK5A, "&sprog,0"), ":sprog,0,0");
    EXPECT_EQ(One(kK5A, "&sprog,1#S1130000285F245F2212226A000424290008237C2a"), ":sprog,0,1")
        << "lower-case digits are digits";
    EXPECT_EQ(One(kK5A, "&sprog,1#S1130000285F245F2212226A00042429000823GC9A"), ":sprog,-4,1")
        << "a byte that is no digit, the sum made to fit were it read as one";
    EXPECT_EQ(One(kK5A, "&sprog,2"), ":sprog,-4,2") << "the broken run was abandoned";
    EXPECT_EQ(rack_.At(kK5A).LastImageRecords(), 3) << "the last complete image still counts";
}

TEST_F(FrameTest, FactoryClearRestoresSettingsAndRoutes) {
    One(kK5A, "&scross,600,3,0,0");
    One(kK5A, "&sdevid,9,'Renamed'");
    EXPECT_EQ(One(kK5A, "?gdevid"), ":gdevid,0,9,'Renamed'");
    EXPECT_EQ(One(kK5A, "&sclear"), ":sclear,0");
    EXPECT_EQ(One(kK5A, "?gdevid"), ":gdevid,0,1,'Studio A'");
    EXPECT_EQ(One(kK5A, "?gcross,600"), ":gcross,0,600,520");
    EXPECT_FALSE(restart_) << "the connection stays open";
}

TEST_F(FrameTest, IpRoutesGoBetweenTheDanteNamesOfTheRack) {
    EXPECT_EQ(One(kK5A, "&scrossip,7,'localhost','03','WALLBOX'"),
              ":scrossip,0,7,'localhost','03','WALLBOX'");
    EXPECT_EQ(notifications_, std::vector<std::string>{"%gcrossip,7,'STUDIO-A','03','WALLBOX'"});
    EXPECT_EQ(One(kK5A, "?gcrossip,7,'localhost'"), ":gcrossip,0,7,'localhost','03','WALLBOX'");
    EXPECT_EQ(One(kLW16, "?gcrossip,7,'STUDIO-A'"), ":gcrossip,0,7,'STUDIO-A','03','WALLBOX'")
        << "the route lives in the receiving frame, whoever asks";
    EXPECT_EQ(One(kK5A, "&scrossip,8,'localhost','65','WALLBOX'"),
              ":scrossip,-1,8,'localhost','65','WALLBOX'");
    EXPECT_EQ(One(kK5A, "&scrossip,7,'localhost','','WALLBOX'"), ":scrossip,0,7,'localhost','','WALLBOX'");
    EXPECT_EQ(One(kK5A, "?gcrossip,7,'localhost'"), ":gcrossip,0,7,'localhost','',''");

    // A name the rack does not hold is kept as sent; a route to such a device stays with the frame asked.
    EXPECT_EQ(One(kK5A, "&scrossip,9,'ELSEWHERE','04','localhost'"),
              ":scrossip,0,9,'ELSEWHERE','04','localhost'");
    EXPECT_EQ(One(kK5A, "?gcrossip,9,'ELSEWHERE'"), ":gcrossip,0,9,'ELSEWHERE','04','STUDIO-A'");
    EXPECT_EQ(One(kLW16, "?gcrossip,9,'ELSEWHERE'"), ":gcrossip,0,9,'ELSEWHERE','',''");
    EXPECT_EQ(rack_.At(kK5A).IpRoutes(),
              std::vector<std::string>{"route 9 'ELSEWHERE' 04 'STUDIO-A' unresolved"});
    One(kK5A, "&scrossip,9,'ELSEWHERE','','localhost'");
    EXPECT_TRUE(rack_.At(kK5A).IpRoutes().empty());

    EXPECT_EQ(One(kK5A, "&sperformip,'localhost',4,2000"), ":sperformip,0,'localhost',4,2000");
    EXPECT_EQ(notifications_,
              (std::vector<std::string>{"%gframeip,'localhost',4", "%glatencyip,'localhost',2000"}));
    EXPECT_EQ(One(kK5A, "?glatencyip,'STUDIO-A'"), ":glatencyip,0,'STUDIO-A',2000");
    EXPECT_EQ(One(kK5A, "&sperformip,'localhost',4,9000"), ":sperformip,-1,'localhost',4,9000")
        << "above the maximum";
}

TEST_F(FrameTest, PpmStreamsAreCreatedListedEnabledAndDeleted) {
    EXPECT_EQ(One(kK5A, "?lppmid"), ":lppmid,0");
    EXPECT_EQ(One(kK5A, "&sppmcreate,'10.0.0.152',10100,3,64,50,0"),
              ":sppmcreate,0,'10.0.0.152',10100,3,64,50,0");
    EXPECT_EQ(One(kK5A, "&sppmcreate,'10.0.0.152',10101,3,64,50,0"), ":sppmcreate,-1") << "id in use";
    One(kK5A, "&sppmcreate,'10.0.0.152',10101,1,8,50,0");
    EXPECT_EQ(One(kK5A, "?lppmid"), ":lppmid,0,1,3");
    EXPECT_EQ(One(kK5A, "&sppmenable,3,1"), ":sppmenable,0,3,1");
    EXPECT_EQ(One(kK5A, "?gppminfo,3"), ":gppminfo,0,3,'10.0.0.152',10100,64,50,0,1");
    EXPECT_EQ(One(kK5A, "&sppmchn,3,2,700"), ":sppmchn,0,3,2,700");
    EXPECT_EQ(One(kK5A, "?gppmchn,3,2"), ":gppmchn,0,3,2,700");
    // The plain and the extended words read and write one assignment table.
    EXPECT_EQ(One(kK5A, "?gppmextchn,3,2"), ":gppmextchn,0,3,2,0,700");
    One(kK5A, "&sppmextchn,3,3,0,900");
    EXPECT_EQ(One(kK5A, "?gppmchn,3,3"), ":gppmchn,0,3,3,900");
    EXPECT_EQ(One(kK5A, "&sppmdelete,3"), ":sppmdelete,0,3");
    EXPECT_EQ(One(kK5A, "?gppminfo,3"), ":gppminfo,-1,3");
    EXPECT_EQ(One(kK5A, "?lppmid"), ":lppmid,0,1");
}

TEST_F(FrameTest, DiscoveryAnswersFollowNameModeAndRestart) {
    Frame& frame = rack_.At(kK5A);
    EXPECT_EQ(frame.DiscoveryAnswer(0), ":edev,0,1,1,'Studio A','K5A','K5A0011703042'\r");
    EXPECT_EQ(rack_.At(kRecovery).DiscoveryAnswer(0), ":edev,0,0,4,'Spare','K5A','K5A0041705113'\r");
    One(kK5A, "&sdevid,7,'Studio B'");
    One(kK5A, "&srestart,1");
    EXPECT_TRUE(restart_);
    EXPECT_EQ(frame.DiscoveryAnswer(10), "!edev,0,1,7,'Studio B','K5A','K5A0011703042'\r")
        << "about to go away";
    EXPECT_FALSE(frame.DiscoveryAnswer(600).has_value()) << "gone for a moment";
    EXPECT_TRUE(frame.Advance(1000));
    EXPECT_EQ(frame.DiscoveryAnswer(1000), ":edev,0,1,7,'Studio B','K5A','K5A0011703042'\r");
}

TEST_F(FrameTest, NetworkMessageMustMatchTheSerialAndTheFormatByteForByte) {
    Frame& frame = rack_.At(kK5A);
    Responses out;
    const std::string good = "%eip,'K5A0011703042',0,'10.0.0.9','255.255.255.0','10.0.0.1',1\r";
    for (const std::string bad : {
             "%eip,'K5A0000000000',0,'10.0.0.9','255.255.255.0','10.0.0.1',1\r",  // another frame
             "%eip,'K5A0011703042',0,'10.0.0.9'\r",
             "%eip,K5A0011703042,0,10.0.0.9,255.255.255.0,10.0.0.1,1\r",  // quotes are part of it
             "%eip,'K5A0011703042',0,'10.0.0.9','255.255.255.0','10.0.0.1',1\r\r",
             "%eip,'K5A0011703042',0,'10.0.0.9','255.255.255.0','10.0.0.1',7\r",
             "%eip,'K5A0011703042',0,'0.0.0.0','0.0.0.0','0.0.0.0',1\r",  // fixed, but no address
         }) {
        EXPECT_FALSE(frame.ApplyNetworkMessage(bad, out)) << bad;
    }
    EXPECT_TRUE(out.notify.empty());
    EXPECT_EQ(One(kK5A, "?gip"), ":gip,0,0,'127.0.0.2','255.0.0.0','127.0.0.1','0050C2000001'");

    EXPECT_TRUE(frame.ApplyNetworkMessage(good, out)) << "the socket tests follow it further";
}

TEST_F(FrameTest, SettingsAnswerWithWhatTheFrameHoldsAndRefuseWhatItCannotDo) {
    EXPECT_EQ(One(kK5A, "&sip,1,'0.0.0.0','0.0.0.0','0.0.0.0'"),
              ":sip,0,1,'127.0.0.2','255.0.0.0','127.0.0.1'")
        << "with DHCP the frame reports its lease, not the zeros it was sent";
    EXPECT_EQ(One(kK5A, "&sip,0,'192.168.1.300','255.255.255.0','192.168.1.1'"),
              ":sip,-1,0,'192.168.1.300','255.255.255.0','192.168.1.1'");
    EXPECT_EQ(One(kK5A, "&sbksecip,1,'0.0.0.0','0.0.0.0','0.0.0.0','0.0.0.0'"),
              ":sbksecip,0,1,'127.2.0.2','255.255.0.0','0.0.0.0','0.0.0.0'");
    EXPECT_EQ(One(kK5A, "&sgenrate,4"), ":sgenrate,0,4");
    EXPECT_EQ(notifications_, (std::vector<std::string>{"%ggenrate,4", "%gactrate,4"}));
    EXPECT_EQ(One(kK5A, "&sphdmode,1,1,1"), ":sphdmode,0,1,1,1");
    EXPECT_EQ(One(kK5A, "?gphdmode"), ":gphdmode,0,1,1,1");

    // Among them what a console sends for a list left without selection (-1).
    for (const std::string line :
         {"&salivetime,301", "&sdevid,100,'x'", "&sgenrate,11", "&ssyncprio,4,32", "&smadiinmode,2,-1",
          "&soptred,1,3", "&sembmode,1,1,1,5", "&sgain,1,7,0.00,2,0"}) {
        const std::string reply = One(kK5A, line);
        EXPECT_EQ(reply.substr(0, reply.find(',', reply.find(',') + 1)),
                  ":" + line.substr(1, line.find(',') - 1) + ",-1")
            << line;
        EXPECT_TRUE(notifications_.empty()) << line;
    }
    EXPECT_EQ(One(kK5A, "?galivetime"), ":galivetime,0,5");
}

TEST_F(FrameTest, IpFlowsAreCheckedAndDeletingOneDropsItsSlots) {
    EXPECT_EQ(One(kK5A, "&scrtxflow,2,4,'10.0.0.77',14530"), ":scrtxflow,0,2,4,'10.0.0.77',14530");
    EXPECT_EQ(One(kK5A, "&stxflowslot,2,3,8"), ":stxflowslot,0,2,3,8");
    EXPECT_EQ(One(kK5A, "&stxflowslot,2,4,9"), ":stxflowslot,-1,2,4,9") << "the flow has slots 0..3";
    EXPECT_EQ(One(kK5A, "&stxflowslot,2,2,65"), ":stxflowslot,-1,2,2,65") << "there are 64 IP channels";
    EXPECT_EQ(One(kK5A, "&scrtxflow,2,2,'10.0.0.78',14531"), ":scrtxflow,-1") << "ID in use";
    EXPECT_EQ(One(kK5A, "&scrtxflow,3,2,'10.0.0.78',14530"), ":scrtxflow,-1") << "port in use";
    EXPECT_EQ(One(kK5A, "&scrtxflow,3,2,'255.255.255.255',14531"), ":scrtxflow,-1");
    EXPECT_EQ(One(kK5A, "&scrtxflow,2,0,'10.0.0.77',14530"), ":scrtxflow,0,2,0,'10.0.0.77',14530");
    EXPECT_EQ(One(kK5A, "?gtxflowslot,2,3"), ":gtxflowslot,0,2,3,0");
    EXPECT_EQ(One(kK5A, "&scrtxflow,3,2,'10.0.0.78',14530"), ":scrtxflow,0,3,2,'10.0.0.78',14530");
    EXPECT_EQ(One(kK5A, "&scrrxflow,1,2,14528,5001"), ":scrrxflow,-1,1,2,14528,5001") << "above the maximum";

    EXPECT_EQ(One(kK5A, "&suniclkip,1"), ":suniclkip,0,1");
    EXPECT_EQ(notifications_,
              (std::vector<std::string>{"%guniclkip,1", "%guniclkstip,1,Unicast clocking on"}));
}

TEST_F(FrameTest, SwitchingADetectorOffClearsItsTrip) {
    EXPECT_EQ(One(kK5A, "&slevdetstate,0,9,1"), ":slevdetstate,0,0,9,1");
    rack_.At(kK5A).Store().Write(RecordStore::Key(CommandCode::glevdetstatus, {0, 9})).SetInt(22, 1);
    EXPECT_EQ(One(kK5A, "&slevdetstate,0,9,0"), ":slevdetstate,0,0,9,0");
    EXPECT_EQ(notifications_, (std::vector<std::string>{"%glevdetstate,0,9,0", "%glevdetstatus,0,9,0"}));
    EXPECT_EQ(One(kK5A, "?llevdetstatus,0,9,1"), ":llevdetstatus,0,0,9,1,0");
}

TEST_F(FrameTest, StatusFaultAnswersTheChosenWordWithoutActing) {
    rack_.At(kK5A).Faults().status[ToCode(CommandCode::scross)] = 5;
    EXPECT_EQ(One(kK5A, "&scross,5,7,0,0"), ":scross,5,5,7,0,0");
    EXPECT_TRUE(notifications_.empty());
    EXPECT_EQ(One(kK5A, "?gcross,5"), ":gcross,0,5,0");
}

}  // namespace
}  // namespace velmar::sim
