#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "sim/ControlChannel.h"
#include "sim/HealthChurn.h"
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

TEST_F(ControlChannelTest, HealthIsNotifiedAndThenAnsweredAsAFrameWould) {
    EXPECT_EQ(channel_.Execute("health 127.0.0.2 psu 2 fault"), "ok\n");
    EXPECT_EQ(channel_.Execute("health 127.0.0.2 fan 3 fault"), "ok\n");
    EXPECT_EQ(channel_.Execute("health 127.0.0.2 sync 5 unlocked"), "ok\n");
    EXPECT_EQ(channel_.Execute("health 127.0.0.2 rate 4"), "ok\n");
    EXPECT_EQ(control_.notified, "%gpsustatus,2,1\r%gfanstatus,3,1\r%gsyncstat,5,1\r%gactrate,4\r");
    MessageCodec codec;
    const auto answer = [&](std::string line) {
        CommandMessage request;
        codec.Read(line, request, Side::Request);
        Responses out;
        rack_.At(0).Handle(request, out, 0);
        return out.reply;
    };
    EXPECT_EQ(answer("?gpsustatus,2\r"), ":gpsustatus,0,2,1\r");
    EXPECT_EQ(answer("?gsyncstat\r"), ":gsyncstat,0,5,1\r");
    EXPECT_EQ(channel_.Execute("health 127.0.0.2 psu 2 ok"), "ok\n");
    EXPECT_EQ(answer("?gpsustatus,2\r"), ":gpsustatus,0,2,0\r");
    for (const char* bad :
         {"health 127.0.0.2 psu 3 fault", "health 127.0.0.2 fan 1 broken", "health 127.0.0.2 rate 11",
          "health 127.0.0.2 sync 0 locked", "health 127.0.0.2 temperature 1 ok", "health 127.0.0.2 psu 1"}) {
        EXPECT_EQ(channel_.Execute(bad).rfind("error: ", 0), 0u) << bad;
    }
}

TEST(HealthChurnTest, ChangesAtItsRateRepeatablyAndFlipsBack) {
    const std::vector<std::string> addresses{"127.0.0.2", "127.0.0.3", "127.0.0.4"};
    HealthChurn first(addresses, 50, 7);
    HealthChurn second(addresses, 50, 7);
    EXPECT_TRUE(first.Due(19).empty());
    EXPECT_EQ(first.WaitMs(19, 200), 1);
    const std::vector<std::string> due = first.Due(1000);
    EXPECT_EQ(due.size(), 50u);
    EXPECT_EQ(second.Due(1000), due);
    EXPECT_NE(HealthChurn(addresses, 50, 8).Due(1000), due);
    // Every command is one the control channel takes, and a PSU that failed is later restored.
    std::vector<FrameDescription> descriptions = RackConfig::DefaultRack();
    RackConfig::AssignAddresses(descriptions);
    Rack rack(descriptions);
    RecordingControl control;
    ControlChannel channel(rack, control);
    std::map<std::string, std::string> lastPsu;
    for (const std::string& command : HealthChurn(addresses, 100, 3).Due(20000)) {
        ASSERT_EQ(command.rfind("health ", 0), 0u);
        if (command.find(" psu ") != std::string::npos)
            lastPsu[command.substr(0, command.rfind(' '))] = command.substr(command.rfind(' ') + 1);
        if (command.find("127.0.0.2") != std::string::npos) {
            EXPECT_EQ(channel.Execute(command), "ok\n") << command;
        }
    }
    EXPECT_EQ(lastPsu.size(), 6u);
    EXPECT_TRUE(HealthChurn(addresses, 0, 1).Due(100000).empty());
    // A stalled process does not get a flood afterwards.
    EXPECT_EQ(HealthChurn(addresses, 10000, 1).Due(3600000).size(), 1000u);
}

}  // namespace
}  // namespace velmar::sim
