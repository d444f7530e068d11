#include <gtest/gtest.h>

#include <algorithm>

#include "device/DeviceModel.h"
#include "features/firmware/core/FirmwareUnit.h"
#include "features/routing/core/RoutingUnit.h"
#include "tests/device/SessionFixture.h"

namespace velmar::test {
namespace {

using namespace std::chrono_literals;

using Words = std::vector<std::string>;

class PollerTest : public SessionFixture {
  protected:
    // The frame's answer for the Dante module's board position: a module is fitted.
    void ReportDanteModule() { Reply(":ghwconf,0,18,1,'BKII',''"); }
};

const Words kDanteWords{"gbkip", "gbkname", "gswmodeip", "gbksecip", "gsrenaip"};

TEST_F(PollerTest, ApplicationStartSequenceInOrderThenPollAfterOneSecond) {
    ConnectAs(DeviceMode::Application, ModelClass::Full);
    ReportDanteModule();
    Words expected{"gdevid", "gdevinfo", "gip"};
    expected.insert(expected.end(), 19, "ghwconf");
    expected.insert(expected.end(), 19, "gswver");
    for (const char* word :
         {"gfanconf",     "gpsuconf",     "gdevfeature",  "gdevfeature",   "galivetime",    "gsystemdelay",
          "ggenrate",     "grateadptsrc", "gwclkout",     "lsyncprio",     "gsyncterm",     "gaeschstat",
          "gphdmode",     "goptred",      "goptmode",     "goptmode",      "gmadiinmode",   "gmadiinmode",
          "gmadiinmode",  "gmadioutmode", "gmadioutmode", "gmadioutmode",  "gmadidsdmode",  "gmadidsdmode",
          "gmadidsdmode", "ghlinkinmode", "ghlinkinmode", "ghlinkoutmode", "ghlinkoutmode", "gbkip",
          "gbkname",      "gswmodeip",    "gbksecip",     "gsrenaip"}) {
        expected.push_back(word);
    }
    const std::vector<std::string> lines = transport.sent;
    EXPECT_EQ(SentWords(), expected);
    EXPECT_EQ(lines[3], "?ghwconf,2");
    EXPECT_EQ(lines[21], "?ghwconf,20");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "?lsyncprio,2,17"), lines.end());

    timers.Advance(999ms);
    EXPECT_TRUE(transport.sent.empty());
    timers.Advance(1ms);
    EXPECT_EQ(SentWords(), (Words{"gactrate", "gsyncstat", "lcross", "lcross", "lcross", "lcross", "lcross",
                                  "lcross", "lcross", "lcross", "lmaininpstatus"}));
}

// The lines of the start sequence and of the first state poll, whole, for every kind of start:
// the frame reads them in this order and nothing may move one of them.
TEST_F(PollerTest, StartSequenceAndFirstPollKeepTheirWireOrder) {
    struct Start {
        DeviceMode mode;
        ModelClass model;
        bool telnet;
    };
    const std::vector<Start> starts{{DeviceMode::Application, ModelClass::Full, false},
                                    {DeviceMode::Application, ModelClass::NoCards, true},
                                    {DeviceMode::Mode2, ModelClass::Full, false},
                                    {DeviceMode::Recovery, ModelClass::Full, false},
                                    {DeviceMode::Application, ModelClass::NoMatrix, false},
                                    {DeviceMode::Recovery, ModelClass::NoMatrix, false}};
    // Recorded from the poller before its words became a table, for frames with a Dante module.
    const std::vector<std::string> recorded{
        "?gdevid ?gdevinfo ?gip ?ghwconf,2 ?ghwconf,3 ?ghwconf,4 ?ghwconf,5 ?ghwconf,6 ?ghwconf,7 ?ghwconf,8 "
        "?ghwconf,9 ?ghwconf,10 ?ghwconf,11 ?ghwconf,12 ?ghwconf,13 ?ghwconf,14 ?ghwconf,15 ?ghwconf,16 "
        "?ghwconf,17 ?ghwconf,18 ?ghwconf,19 ?ghwconf,20 ?gswver,2 ?gswver,3 ?gswver,4 ?gswver,5 ?gswver,6 "
        "?gswver,7 ?gswver,8 ?gswver,9 ?gswver,10 ?gswver,11 ?gswver,12 ?gswver,13 ?gswver,14 ?gswver,15 "
        "?gswver,16 ?gswver,17 ?gswver,18 ?gswver,19 ?gswver,20 ?gfanconf ?gpsuconf ?gdevfeature,1 "
        "?gdevfeature,2 ?galivetime ?gsystemdelay ?ggenrate ?grateadptsrc ?gwclkout ?lsyncprio,2,17 "
        "?gsyncterm ?gaeschstat ?gphdmode ?goptred ?goptmode,1 ?goptmode,2 ?gmadiinmode,1 ?gmadiinmode,2 "
        "?gmadiinmode,3 ?gmadioutmode,1 ?gmadioutmode,2 ?gmadioutmode,3 ?gmadidsdmode,1 ?gmadidsdmode,2 "
        "?gmadidsdmode,3 ?ghlinkinmode,1 ?ghlinkinmode,2 ?ghlinkoutmode,1 ?ghlinkoutmode,2 ?gbkip ?gbkname "
        "?gswmodeip ?gbksecip ?gsrenaip ?gactrate ?gsyncstat ?lcross,1,128 ?lcross,129,128 ?lcross,257,128 "
        "?lcross,385,128 ?lcross,513,128 ?lcross,641,128 ?lcross,769,128 ?lcross,897,128 "
        "?lmaininpstatus,1,14",
        "?gdevid ?gdevinfo ?gip ?ghwconf,2 ?ghwconf,3 ?ghwconf,4 ?ghwconf,5 ?ghwconf,6 ?ghwconf,7 ?ghwconf,8 "
        "?ghwconf,9 ?ghwconf,10 ?ghwconf,11 ?ghwconf,12 ?ghwconf,13 ?ghwconf,14 ?ghwconf,15 ?ghwconf,16 "
        "?ghwconf,17 ?ghwconf,18 ?ghwconf,19 ?ghwconf,20 ?gswver,2 ?gswver,3 ?gswver,4 ?gswver,5 ?gswver,6 "
        "?gswver,7 ?gswver,8 ?gswver,9 ?gswver,10 ?gswver,11 ?gswver,12 ?gswver,13 ?gswver,14 ?gswver,15 "
        "?gswver,16 ?gswver,17 ?gswver,18 ?gswver,19 ?gswver,20 ?gfanconf ?gpsuconf ?gdevfeature,1 "
        "?gdevfeature,2 ?galivetime ?gsystemdelay ?ggenrate ?grateadptsrc ?gwclkout ?lsyncprio,2,17 "
        "?gsyncterm ?gaeschstat ?gphdmode ?goptred ?goptmode,1 ?goptmode,2 ?gmadiinmode,1 ?gmadiinmode,2 "
        "?gmadiinmode,3 ?gmadioutmode,1 ?gmadioutmode,2 ?gmadioutmode,3 ?gmadidsdmode,1 ?gmadidsdmode,2 "
        "?gmadidsdmode,3 ?ghlinkinmode,1 ?ghlinkinmode,2 ?ghlinkoutmode,1 ?ghlinkoutmode,2 ?gbkip ?gbkname "
        "?gswmodeip ?gbksecip ?gsrenaip ?gactrate ?gsyncstat ?lcross,1,128 ?lcross,129,128 ?lcross,257,128 "
        "?lcross,385,128 ?lcross,513,128 ?lcross,641,128 ?lcross,769,128 ?lcross,897,128 "
        "?lmaininpstatus,1,14",
        "?gdevid ?gdevinfo ?gip ?ghwconf,2 ?ghwconf,3 ?ghwconf,4 ?ghwconf,5 ?ghwconf,6 ?ghwconf,7 ?ghwconf,8 "
        "?ghwconf,9 ?ghwconf,10 ?ghwconf,11 ?ghwconf,12 ?ghwconf,13 ?ghwconf,14 ?ghwconf,15 ?ghwconf,16 "
        "?ghwconf,17 ?ghwconf,18 ?ghwconf,19 ?ghwconf,20 ?gswver,2 ?gswver,3 ?gswver,4 ?gswver,5 ?gswver,6 "
        "?gswver,7 ?gswver,8 ?gswver,9 ?gswver,10 ?gswver,11 ?gswver,12 ?gswver,13 ?gswver,14 ?gswver,15 "
        "?gswver,16 ?gswver,17 ?gswver,18 ?gswver,19 ?gswver,20 ?gfanconf ?gpsuconf ?gdevfeature,1 "
        "?gdevfeature,2 ?galivetime ?gsystemdelay ?ggenrate ?grateadptsrc ?gwclkout ?lsyncprio,2,17 "
        "?gsyncterm ?gaeschstat ?gphdmode ?goptred ?goptmode,1 ?goptmode,2 ?gmadiinmode,1 ?gmadiinmode,2 "
        "?gmadiinmode,3 ?gmadioutmode,1 ?gmadioutmode,2 ?gmadioutmode,3 ?gmadidsdmode,1 ?gmadidsdmode,2 "
        "?gmadidsdmode,3 ?ghlinkinmode,1 ?ghlinkinmode,2 ?ghlinkoutmode,1 ?ghlinkoutmode,2 ?gbkip ?gbkname "
        "?gswmodeip ?gbksecip ?gsrenaip",
        "?gip ?ghwconf,2 ?gswver,2",
        "?gdevid ?gip ?gfanconf ?gpsuconf ?aliverequest",
        "?gip",
    };
    ASSERT_EQ(recorded.size(), starts.size());
    const auto wireOf = [&](const Start& start, bool dante) {
        ConnectAs(start.mode, start.model, start.telnet);
        if (session.Link().IsTelnetLink())
            timers.Advance(300ms);  // the start sequence waits for the Telnet port's banner
        if (dante)
            ReportDanteModule();
        timers.Advance(1300ms);
        std::string wire;
        for (const std::string& line : transport.TakeSent())
            wire += (wire.empty() ? "" : " ") + line;
        session.Disconnect();
        return wire;
    };
    for (std::size_t i = 0; i < starts.size(); ++i) {
        EXPECT_EQ(wireOf(starts[i], true), recorded[i]) << "start " << i;
        // Without the module the same lines go out, less every word only the module answers.
        std::string withoutDante = recorded[i];
        if (const std::size_t at = withoutDante.find(" ?gbkip"); at != std::string::npos)
            withoutDante.erase(at, std::string(" ?gbkip ?gbkname ?gswmodeip ?gbksecip ?gsrenaip").size());
        EXPECT_EQ(wireOf(starts[i], false), withoutDante) << "start " << i << " without a Dante module";
    }
}

// The module's words follow the boards' answer once, and never on a frame whose board position
// reports nothing fitted; a new connection asks again.
TEST_F(PollerTest, DanteWordsGoOnlyToAFrameWithTheModule) {
    ConnectAs(DeviceMode::Application, ModelClass::Full);
    transport.TakeSent();
    Reply(":ghwconf,0,18,0,'',''");
    Reply(":ghwconf,0,17,1,'K5A030',''");
    timers.Advance(1000ms);
    for (const std::string& word : SentWords())
        EXPECT_EQ(std::find(kDanteWords.begin(), kDanteWords.end(), word), kDanteWords.end()) << word;

    session.Disconnect();
    ConnectAs(DeviceMode::Application, ModelClass::Full);
    transport.TakeSent();
    ReportDanteModule();
    EXPECT_EQ(SentWords(), kDanteWords);
    ReportDanteModule();
    Reply(":ghwconf,0,3,1,'SFP',''");  // another board changes the capabilities again
    EXPECT_TRUE(SentWords().empty());
}

TEST_F(PollerTest, MainVersionMovesThePollTo100msAndSetsTwelveRuns) {
    ConnectAs(DeviceMode::Application, ModelClass::Full);
    transport.TakeSent();
    timers.Advance(500ms);
    MakeNewFirmwareFrame();
    timers.Advance(99ms);
    EXPECT_TRUE(transport.sent.empty());
    timers.Advance(1ms);
    std::vector<std::string> runs;
    for (const std::string& line : transport.TakeSent()) {
        if (line.rfind("?lcross", 0) == 0)
            runs.push_back(line);
    }
    ASSERT_EQ(runs.size(), 12u);
    EXPECT_EQ(runs.front(), "?lcross,1,128");
    EXPECT_EQ(runs.back(), "?lcross,1409,128");
    timers.Advance(2000ms);  // the one-second poll was replaced, not added
    EXPECT_EQ(std::count_if(transport.sent.begin(), transport.sent.end(),
                            [](const std::string& l) { return l.rfind("?lcross", 0) == 0; }),
              0);
}

TEST_F(PollerTest, NewFirmwarePollAsksForModuleInactivity) {
    ConnectAs(DeviceMode::Application, ModelClass::Full);
    MakeNewFirmwareFrame();
    transport.TakeSent();
    timers.Advance(100ms);
    const Words words = SentWords();
    EXPECT_EQ(std::count(words.begin(), words.end(), "goptinact"), 2);
    EXPECT_EQ(words.back(), "lmaininpstatus");
}

TEST_F(PollerTest, HealthStartReadsIdentitySuppliesFansClockAndNeverTheCards) {
    ConsoleOptions options;
    options.healthOnly = true;
    session.SetOptions(options);
    ConnectAs(DeviceMode::Application, ModelClass::Full);
    EXPECT_EQ(SentWords(), (Words{"gdevid", "gdevinfo", "gfanconf", "gpsuconf"}));
    ReportDanteModule();
    Reply(":gswver,0,2,'Main','2.0.0.1'");
    Reply(":gpsuconf,0,3");
    Reply(":gpsustatus,0,2,0");
    EXPECT_EQ(SentWords(), (Words{"gpsustatus", "gpsustatus"}));
    timers.Advance(1000ms);
    EXPECT_EQ(SentWords(), (Words{"gactrate", "gsyncstat"}));
    EXPECT_FALSE(events.settingsEnabled);
    timers.Advance(4000ms);
    EXPECT_EQ(transport.TakeSent(), Words{"?aliverequest"});
}

TEST_F(PollerTest, RecoveryFrameGetsThreeRequestsAndNoPoll) {
    ConnectAs(DeviceMode::Recovery, ModelClass::Full);
    timers.Advance(300ms);
    EXPECT_EQ(SentWords(), (Words{"gip", "ghwconf", "gswver"}));
    timers.Advance(5000ms);
    EXPECT_TRUE(transport.sent.empty());  // poll does nothing; no keep-alive on port 23
}

TEST_F(PollerTest, ModelClass2GetsIdentityAndEachPollSendsAKeepAlive) {
    ConnectAs(DeviceMode::Application, ModelClass::NoMatrix);
    EXPECT_EQ(SentWords(), (Words{"gdevid", "gip", "gfanconf", "gpsuconf"}));
    Reply(":gpsuconf,0,3");
    EXPECT_EQ(SentWords(), (Words{"gpsustatus", "gpsustatus"}));
    Reply(":gpsustatus,0,2,0");
    timers.Advance(200ms);
    EXPECT_FALSE(events.settingsEnabled) << "no cards to ask, and no settings read to edit";
    timers.Advance(1000ms);
    EXPECT_EQ(transport.TakeSent(), Words{"?aliverequest"});
    EXPECT_EQ(events.layoutChanges, 1);
}

TEST_F(PollerTest, CardRequestsByKindAfterThePsu2Reply) {
    ConnectAs(DeviceMode::Application, ModelClass::Full);
    Reply(":ghwconf,0,9,1,'K5A021',''");   // card 1 SDI
    Reply(":ghwconf,0,10,1,'K5A013',''");  // card 2 AD
    Reply(":ghwconf,0,11,1,'K5A023',''");  // card 3 DA
    Reply(":ghwconf,0,12,1,'K5A024',''");  // card 4 AES
    Reply(":ghwconf,0,13,1,'K5A025',''");  // card 5 MADI/Hotlink
    Reply(":ghwconf,0,20,0,'',''");
    Reply(":gpsustatus,0,2,0");
    transport.TakeSent();
    EXPECT_FALSE(events.settingsEnabled);
    timers.Advance(200ms);
    EXPECT_TRUE(events.settingsEnabled);
    const Words words = SentWords();
    EXPECT_EQ(words.size(), 22u + 65u + 41u + 16u + 14u);
    EXPECT_EQ(words.front(), "gembena");
    EXPECT_EQ(words[20], "gsdirxstat");
    EXPECT_EQ(words[22], "gadbrdtype");
    EXPECT_EQ(words[87], "gdadsdfilter");
    EXPECT_EQ(words.back(), "gcifstatus");
}

TEST_F(PollerTest, CardTimerAfterTheLinkClosedSendsNothingAndKeepsSettingsOff) {
    ConnectAs(DeviceMode::Application, ModelClass::Full);
    Reply(":ghwconf,0,10,1,'K5A013',''");
    Reply(":ghwconf,0,20,0,'',''");
    Reply(":gpsustatus,0,2,0");
    session.Disconnect();
    transport.TakeSent();
    timers.Advance(200ms);
    EXPECT_TRUE(transport.sent.empty());
    EXPECT_FALSE(events.settingsEnabled);
}

TEST_F(PollerTest, SilentFrameIsDroppedWithinTwoKeepAlivePeriods) {
    ConnectAs(DeviceMode::Application, ModelClass::Full);
    timers.Advance(4999ms);
    EXPECT_TRUE(session.Connection().connected);
    timers.Advance(1ms);  // not a byte since the connect
    EXPECT_NE(std::find(transport.sent.begin(), transport.sent.end(), "?aliverequest"), transport.sent.end());
    EXPECT_FALSE(session.Connection().connected);
}

TEST_F(PollerTest, AnsweringFrameStaysAndSilenceThenDropsIt) {
    ConnectAs(DeviceMode::Application, ModelClass::Full);
    for (int tick = 0; tick < 5; ++tick) {
        Reply(":aliverequest,0");
        timers.Advance(5000ms);
        ASSERT_TRUE(session.Connection().connected) << tick;
    }
    timers.Advance(5000ms);  // no byte since the previous tick: 0 -> -1
    EXPECT_FALSE(session.Connection().connected);
    EXPECT_EQ(events.title, " Velmar   ( Link lost )");
    EXPECT_TRUE(events.failures.empty());
}

TEST_F(PollerTest, KeepAliveTickDuringFirmwareNeitherSendsNorCounts) {
    ConnectAs(DeviceMode::Application, ModelClass::Full);
    ASSERT_FALSE(session.Feature<FirmwareUnit>().StartRun({"S0", "S1"}));
    Reply(":sprog,0,0");
    transport.TakeSent();
    EXPECT_FALSE(session.IsReady()) << "a firmware run holds the link";
    ASSERT_EQ(session.Connection().aliveCounter, 1);
    timers.Advance(9000ms);  // one keep-alive tick, inside the 10 s firmware watchdog
    EXPECT_EQ(std::count(transport.sent.begin(), transport.sent.end(), "?aliverequest"), 0);
    EXPECT_EQ(session.Connection().aliveCounter, 1);
    EXPECT_TRUE(session.Connection().connected);
}

TEST_F(PollerTest, StepperSendsOneCrosspointPerTickAndStops) {
    ConnectAs(DeviceMode::Application, ModelClass::Full);
    transport.TakeSent();
    session.Feature<RoutingUnit>().StartStepper(1, 4, false);
    EXPECT_FALSE(session.IsReady());
    timers.Advance(10ms);
    const Words sent = transport.TakeSent();
    ASSERT_GE(sent.size(), 4u);
    EXPECT_EQ((Words{sent.begin(), sent.begin() + 4}),
              (Words{"&scross,1,1,0,0", "&scross,2,2,0,0", "&scross,3,3,0,0", "&scross,4,4,0,0"}));
    EXPECT_FALSE(session.Feature<RoutingUnit>().Stepping());
    EXPECT_TRUE(session.IsReady());
}

}  // namespace
}  // namespace velmar::test
