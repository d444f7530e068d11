#include <gtest/gtest.h>

#include <vector>

#include "sim/ControlChannel.h"
#include "sim/RackConfig.h"
#include "sim/RecordStore.h"

namespace velmar::sim {
namespace {

class RecordingControl : public RackControl {
  public:
    void CloseClients(std::size_t frame) override { log.push_back("close " + std::to_string(frame)); }
    void SendRaw(std::size_t, std::string_view bytes) override { raw += bytes; }
    void Notify(std::size_t, std::string_view lines) override { notified += lines; }
    void FaultsChanged(std::size_t frame) override { log.push_back("faults " + std::to_string(frame)); }
    void RestartFrame(std::size_t frame) override { log.push_back("restart " + std::to_string(frame)); }
    std::size_t ClientCount(std::size_t) const override { return 2; }
    void Quit() override { log.push_back("quit"); }

    std::vector<std::string> log;
    std::string raw;
    std::string notified;
};

class ControlChannelTest : public ::testing::Test {
  protected:
    static std::vector<FrameDescription> Descriptions() {
        std::vector<FrameDescription> descriptions = RackConfig::DefaultRack();
        RackConfig::AssignAddresses(descriptions);
        return descriptions;
    }
    Rack rack_{Descriptions()};
    RecordingControl control_;
    ControlChannel channel_{rack_, control_};
};

TEST_F(ControlChannelTest, FaultsAreSetPerFrameAndClearedTogether) {
    EXPECT_EQ(channel_.Execute("fault 127.0.0.3 silent"), "ok\n");
    EXPECT_EQ(channel_.Execute("fault 127.0.0.3 delay 250"), "ok\n");
    EXPECT_EQ(channel_.Execute("fault 127.0.0.3 status gcross -7"), "ok\n");
    const FaultSet& faults = rack_.At(1).Faults();
    EXPECT_TRUE(faults.silent);
    EXPECT_EQ(faults.delayMs, 250);
    EXPECT_EQ(faults.status[ToCode(CommandCode::gcross)], -7);
    EXPECT_FALSE(rack_.At(0).Faults().Any());
    EXPECT_EQ(
        channel_.Execute("info 127.0.0.3"),
        "ok mode=application clients=2 image-records=0 channels=1024 faults=silent,delay,status:gcross\n");
    EXPECT_EQ(channel_.Execute("fault 127.0.0.3 clear"), "ok\n");
    EXPECT_FALSE(faults.Any());
    EXPECT_EQ(control_.log, (std::vector<std::string>{"faults 1", "faults 1", "faults 1", "faults 1"}));
}

TEST_F(ControlChannelTest, OneOffFaultsActAtOnce) {
    EXPECT_EQ(channel_.Execute("fault 127.0.0.2 close"), "ok\n");
    EXPECT_EQ(channel_.Execute("fault 127.0.0.2 runon"), "ok\n");
    EXPECT_EQ(control_.raw.size(), 1024u);
    EXPECT_EQ(control_.raw.find('\r'), std::string::npos);
    EXPECT_EQ(channel_.Execute("restart 127.0.0.2"), "ok\n");
    EXPECT_EQ(control_.log.front(), "close 0");
    EXPECT_EQ(control_.log.back(), "restart 0");
}

TEST_F(ControlChannelTest, StateChangesAStoredValueAndNotifiesTheClients) {
    EXPECT_EQ(channel_.Execute("state 127.0.0.2 gpsustatus 2 1"), "ok\n");
    EXPECT_EQ(control_.notified, "%gpsustatus,2,1\r");
    Responses out;
    MessageCodec codec;
    std::string line = "?gpsustatus,2\r";
    CommandMessage request;
    codec.Read(line, request, Side::Request);
    rack_.At(0).Handle(request, out, 0);
    EXPECT_EQ(out.reply, ":gpsustatus,0,2,1\r");
    EXPECT_EQ(channel_.Execute("state 127.0.0.2 gpsustatus two"), "error: values do not fit gpsustatus\n");
    EXPECT_EQ(channel_.Execute("state 127.0.0.2 scross 1 2"),
              "error: state needs a get word the frame stores\n");
}

TEST_F(ControlChannelTest, TripAndInputReportAsTheFrameWould) {
    EXPECT_EQ(channel_.Execute("trip 127.0.0.2 out 12"), "ok\n");
    EXPECT_EQ(channel_.Execute("input 127.0.0.2 9 E-a"), "ok\n");
    EXPECT_EQ(channel_.Execute("input 127.0.0.2 card 4 3 -SA"), "ok\n");    // AES
    EXPECT_EQ(channel_.Execute("input 127.0.0.2 card 5 2 --a"), "ok\n");    // MADI
    EXPECT_EQ(channel_.Execute("input 127.0.0.2 card 1 2 1 3 5"), "ok\n");  // SDI
    EXPECT_EQ(channel_.Execute("input 127.0.0.2 card 6 8 1 1"), "ok\n");    // AD
    EXPECT_EQ(control_.notified,
              "%glevdetstatus,1,12,1\r%gmaininpstatus,9,E-a\r%gaesinpstatus,4,3,-SA\r%gcifstatus,5,2,--a\r"
              "%gsdirxstat,1,2,1,3,5\r%gadsigdet,6,8,1\r%gadovldet,6,8,1\r");
    EXPECT_EQ(rack_.At(0).Store().Read(RecordStore::Key(CommandCode::glevdetstatus, {1, 12})).Int(22), 1);

    control_.notified.clear();
    EXPECT_EQ(channel_.Execute("trip 127.0.0.4 in 1"),
              "error: the frame has no glevdetstatus with these keys\n")
        << "a K5E has no channel tools";
    EXPECT_EQ(channel_.Execute("input 127.0.0.2 15 --A"),
              "error: the frame has no gmaininpstatus with these keys\n");
    EXPECT_EQ(channel_.Execute("input 127.0.0.2 card 3 1 1"), "error: slot 3 holds no card with inputs\n");
    EXPECT_EQ(channel_.Execute("input 127.0.0.2 card 6 1 1 x"), "error: numbers expected\n");
    EXPECT_EQ(channel_.Execute("input 127.0.0.2 card 6 1 1"),
              "error: an input of the ad card in slot 6 takes 2 values\n");
    EXPECT_EQ(control_.notified, "");
}

TEST_F(ControlChannelTest, BadCommandsAreExplained) {
    EXPECT_EQ(channel_.Execute("fault 127.0.0.99 silent"), "error: no frame on 127.0.0.99\n");
    EXPECT_EQ(channel_.Execute("fault 127.0.0.2 melt"), "error: unknown fault 'melt'\n");
    EXPECT_EQ(channel_.Execute("fault 127.0.0.2 delay soon"), "error: delay needs milliseconds 0..600000\n");
    EXPECT_EQ(channel_.Execute("fault 127.0.0.2 status gnothing 3"),
              "error: status needs a command word and a status -32767..32767\n");
    EXPECT_EQ(channel_.Execute("dance"), "error: unknown command 'dance' (try help)\n");
    EXPECT_EQ(channel_.Execute("   "), "");
    const std::string frames = channel_.Execute("frames");
    EXPECT_EQ(frames.substr(0, 26), "frame 127.0.0.2 model=K5A ");
    EXPECT_NE(frames.find("ok 4 frames\n"), std::string::npos);
    EXPECT_EQ(channel_.Execute("quit"), "ok bye\n");
}

}  // namespace
}  // namespace velmar::sim
