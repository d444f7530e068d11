#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <random>
#include <set>
#include <thread>

#include "protocol/MessageCodec.h"
#include "tests/support/Eventually.h"
#include "tests/support/LineClient.h"
#include "tests/support/SimProcess.h"

namespace velmar::test {
namespace {

using namespace std::chrono_literals;
using C = CommandCode;

// A UDP socket on 127.0.0.1 that plays the console's discovery receiver and echo prober.
class Udp {
  public:
    explicit Udp(std::uint16_t port = 0) {
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        ::setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        local.sin_port = htons(port);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local);
    }
    ~Udp() { ::close(fd_); }
    void SendTo(const std::string& address, std::uint16_t port, const std::string& bytes) const {
        sockaddr_in peer{};
        peer.sin_family = AF_INET;
        peer.sin_port = htons(port);
        inet_pton(AF_INET, address.c_str(), &peer.sin_addr);
        ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&peer), sizeof peer);
    }
    // Datagrams with their sender address, until `quiet` passes without one.
    std::vector<std::pair<std::string, std::string>> Collect(std::chrono::milliseconds quiet) const {
        std::vector<std::pair<std::string, std::string>> got;
        pollfd watch{fd_, POLLIN, 0};
        while (::poll(&watch, 1, static_cast<int>(quiet.count())) > 0) {
            char buffer[512];
            sockaddr_in from{};
            socklen_t length = sizeof from;
            const ssize_t n =
                ::recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
            char text[INET_ADDRSTRLEN] = {};
            inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
            got.emplace_back(text, std::string(buffer, static_cast<std::size_t>(n > 0 ? n : 0)));
        }
        return got;
    }

  private:
    int fd_ = -1;
};

std::string RequestLine(C code, std::initializer_list<std::int32_t> ints = {}) {
    CommandMessage message;
    message.code = ToCode(code);
    message.flags = MessageFlags::kRequest;
    const auto fields = Command(code).request.All();
    std::size_t i = 0;
    for (const std::int32_t value : ints)
        message.SetInt(fields[i++].offset, value);
    static const MessageCodec codec;
    std::string line(kLinkWriteBufferSize, '\0');
    line.resize(codec.Write(message, line, Side::Request));
    return line;
}

std::vector<std::string> DiscoveryAnswers(SimProcess& sim, const std::string& to) {
    Udp receiver(sim.GetPorts().discovery);
    Udp sender;
    sender.SendTo(to, sim.GetPorts().echo, "?edev\r");
    std::vector<std::string> answers;
    for (const auto& [from, bytes] : receiver.Collect(300ms))
        answers.push_back(from + " " + bytes);
    std::sort(answers.begin(), answers.end());
    return answers;
}

TEST(SimEndToEndTest, DiscoveryEchoAndSettingsMessageOverUdp) {
    SimProcess sim;
    ASSERT_EQ(sim.FrameLines().size(), 4u);
    EXPECT_EQ(DiscoveryAnswers(sim, "127.255.255.255"),
              (std::vector<std::string>{"127.0.0.2 :edev,0,1,1,'Studio A','K5A','K5A0011703042'\r",
                                        "127.0.0.3 :edev,0,1,2,'Wall box','LW16','LW160021804011'\r",
                                        "127.0.0.4 :edev,0,1,3,'Edge','K5E','K5E0031902007'\r",
                                        "127.0.0.5 :edev,0,0,4,'Spare','K5A','K5A0041705113'\r"}));
    EXPECT_EQ(DiscoveryAnswers(sim, "127.0.0.3"),
              std::vector<std::string>{"127.0.0.3 :edev,0,1,2,'Wall box','LW16','LW160021804011'\r"});

    Udp prober;
    const std::string echo = std::string("\x0A\x00ZEL Echo", 10);
    prober.SendTo("127.0.0.4", sim.GetPorts().echo, echo);
    const auto replies = prober.Collect(300ms);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].first, "127.0.0.4");
    EXPECT_EQ(replies[0].second, echo);
    prober.SendTo("127.0.0.9", sim.GetPorts().echo, echo);
    EXPECT_TRUE(prober.Collect(200ms).empty()) << "no frame lives there";

    Udp settings;
    settings.SendTo("127.255.255.255", sim.GetPorts().echo,
                    "%eip,'LW160021804011',0,'10.0.0.9','255.255.255.0','10.0.0.1',1\r");
    std::this_thread::sleep_for(100ms);
    LineClient client("127.0.0.3", sim.GetPorts().tcp);
    client.Send("?gip\r");
    EXPECT_EQ(client.LineStartingWith(":gip"),
              ":gip,0,0,'10.0.0.9','255.255.255.0','10.0.0.1','0050C2000002'");
}

TEST(SimEndToEndTest, StartSequenceAndCardRequestsAllReadBackThroughTheCodec) {
    SimProcess sim;
    std::vector<std::string> requests = {RequestLine(C::gdevid), RequestLine(C::gdevinfo),
                                         RequestLine(C::gip)};
    for (int position = 2; position <= 20; ++position)
        requests.push_back(RequestLine(C::ghwconf, {position}));
    for (int position = 2; position <= 20; ++position)
        requests.push_back(RequestLine(C::gswver, {position}));
    for (const C code : {C::gfanconf, C::gpsuconf})
        requests.push_back(RequestLine(code));
    for (int n = 1; n <= 3; ++n)
        requests.push_back(RequestLine(C::gfanstatus, {n}));
    for (int n = 1; n <= 2; ++n)
        requests.push_back(RequestLine(C::gpsustatus, {n}));
    for (int n = 1; n <= 2; ++n)
        requests.push_back(RequestLine(C::gdevfeature, {n}));
    for (const C code : {C::galivetime, C::gsystemdelay, C::ggenrate, C::grateadptsrc, C::gwclkout}) {
        requests.push_back(RequestLine(code));
    }
    requests.push_back(RequestLine(C::lsyncprio, {2, 17}));
    for (const C code : {C::gsyncterm, C::gaeschstat, C::gphdmode, C::goptred})
        requests.push_back(RequestLine(code));
    for (const C code : {C::goptmode, C::goptinact, C::ghlinkinmode, C::ghlinkoutmode}) {
        for (int n = 1; n <= 2; ++n)
            requests.push_back(RequestLine(code, {n}));
    }
    for (const C code : {C::gmadiinmode, C::gmadioutmode, C::gmadidsdmode}) {
        for (int n = 1; n <= 3; ++n)
            requests.push_back(RequestLine(code, {n}));
    }
    for (const C code :
         {C::gbkip, C::gbkname, C::gswmodeip, C::gbksecip, C::gsrenaip, C::gactrate, C::gsyncstat}) {
        requests.push_back(RequestLine(code));
    }
    for (int first = 1; first < 1536; first += 128)
        requests.push_back(RequestLine(C::lcross, {first, 128}));
    requests.push_back(RequestLine(C::lmaininpstatus, {1, 14}));
    // Card 1 SDI, 2 AD, 3 DA, 4 AES, 5 MADI.
    for (int port = 1; port <= 2; ++port) {
        requests.push_back(RequestLine(C::gembena, {1, port}));
        requests.push_back(RequestLine(C::gtxsrcrate, {1, port}));
        for (int group = 1; group <= 4; ++group) {
            requests.push_back(RequestLine(C::gembmode, {1, port, group}));
            requests.push_back(RequestLine(C::grxsrcena, {1, port, group}));
        }
        requests.push_back(RequestLine(C::gsdirxstat, {1, port}));
    }
    requests.push_back(RequestLine(C::gadbrdtype, {2}));
    requests.push_back(RequestLine(C::gdadsdfilter, {3}));
    for (int ch = 1; ch <= 8; ++ch) {
        for (const C code : {C::gadinpmode, C::gadmute, C::gadphanpow, C::gadphase, C::gadmiclevel,
                             C::gadlinelevel, C::gadsigdet, C::gadovldet}) {
            requests.push_back(RequestLine(code, {2, ch}));
        }
        for (const C code : {C::gdaoutlevel, C::gdamute, C::gdasigdet, C::gdaovldet, C::gdacardet}) {
            requests.push_back(RequestLine(code, {3, ch}));
        }
        requests.push_back(RequestLine(C::gaesrxsrcena, {4, ch}));
        requests.push_back(RequestLine(C::gaesinpstatus, {4, ch}));
    }
    for (const C code : {C::gcifmode, C::gcifred, C::gchlinkinmode, C::gchlinkoutmode}) {
        requests.push_back(RequestLine(code, {5}));
    }
    for (int port = 1; port <= 2; ++port) {
        for (const C code :
             {C::gcmadiinmode, C::gcmadioutmode, C::gcmadidsdmode, C::gcifinact, C::gcifstatus}) {
            requests.push_back(RequestLine(code, {5, port}));
        }
    }

    LineClient client("127.0.0.2", sim.GetPorts().tcp);
    ASSERT_TRUE(client.Connected());
    std::string all;
    for (const std::string& request : requests)
        all += request;
    client.Send(all);
    MessageCodec codec;
    std::size_t index = 0;
    while (index < requests.size()) {
        const std::optional<std::string> line = client.NextLine();
        ASSERT_TRUE(line.has_value()) << "no answer to " << requests[index];
        if (line->rfind("?aliverequest", 0) == 0)
            continue;
        const CommandMessage reply = ParseReply(codec, *line);
        ASSERT_NE(reply.code, kFailedParseCode) << *line;
        EXPECT_EQ(reply.flags, MessageFlags::kReply) << *line;
        EXPECT_EQ(reply.status, 0) << *line << " for " << requests[index];
        EXPECT_EQ(WordOf(static_cast<C>(reply.code)),
                  requests[index].substr(1, WordOf(static_cast<C>(reply.code)).size()));
        if (reply.code == ToCode(C::lcross)) {
            EXPECT_EQ(reply.Int(18), 128);
        }
        ++index;
    }
}

TEST(SimEndToEndTest, RoutingFromOneConsoleIsNotifiedToTheOther) {
    SimProcess sim;
    LineClient first("127.0.0.2", sim.GetPorts().tcp);
    LineClient second("127.0.0.2", sim.GetPorts().tcp);
    LineClient otherFrame("127.0.0.3", sim.GetPorts().tcp);
    first.Send("&scross,700,513,0,0\r");
    EXPECT_EQ(first.LineStartingWith(":scross"), ":scross,0,700,513,0,0");
    EXPECT_EQ(second.LineStartingWith("%"), "%gcross,700,513");
    second.Send("?gcross,700\r");
    EXPECT_EQ(second.LineStartingWith(":gcross"), ":gcross,0,700,513");
    EXPECT_EQ(otherFrame.Receive(200ms).find("%gcross"), std::string::npos)
        << "another frame's consoles hear nothing";
    EXPECT_EQ(first.Receive(200ms).find("%gcross"), std::string::npos)
        << "the sender gets the reply, not a notification";
}

TEST(SimEndToEndTest, SettingsAndCardsSetByOneConsoleReadBackAndReachTheOther) {
    SimProcess sim;
    LineClient editor("127.0.0.2", sim.GetPorts().tcp);
    LineClient watcher("127.0.0.2", sim.GetPorts().tcp);
    editor.Send(
        "&sip,0,'192.168.7.20','255.255.255.0','192.168.7.1'\r&sgenrate,6\r&sdadsdfilter,3,1\r"
        "&salivetime,301\r&sbkname,'STUDIO-Z'\r");
    for (const char* reply : {":sip,0,0,'192.168.7.20','255.255.255.0','192.168.7.1'", ":sgenrate,0,6",
                              ":sdadsdfilter,0,3,1", ":salivetime,-1,301", ":sbkname,0,'STUDIO-Z'"}) {
        EXPECT_EQ(editor.LineStartingWith(":"), reply);
    }
    for (const char* notification : {"%gip,0,'192.168.7.20','255.255.255.0','192.168.7.1','0050C2000001'",
                                     "%ggenrate,6", "%gactrate,6", "%gdadsdfilter,3,1"}) {
        EXPECT_EQ(watcher.LineStartingWith("%"), notification);
    }
    watcher.Send("?gactrate\r?gdadsdfilter,3\r?galivetime\r");
    for (const char* reply : {":gactrate,0,6", ":gdadsdfilter,0,3,1", ":galivetime,0,5"})
        EXPECT_EQ(watcher.LineStartingWith(":"), reply);
    EXPECT_NE(sim.Command("frames").front().find("dante=STUDIO-Z"), std::string::npos);
}

TEST(SimEndToEndTest, FirmwareFaultsStopOrFailTheImageMidway) {
    SimProcess sim;
    LineClient client("127.0.0.2", sim.GetPorts().tcp);
    const std::string record = "&sprog,1#S1130000285F245F2212226A000424290008237C2A\r";
    ASSERT_EQ(sim.Do("fault 127.0.0.2 prog-stall 3"), "ok");
    client.Send("&sprog,0\r");
    EXPECT_EQ(client.LineStartingWith(":sprog"), ":sprog,0,0");
    for (int i = 0; i < 3; ++i) {
        client.Send(record);
        EXPECT_EQ(client.LineStartingWith(":sprog"), ":sprog,0,1");
    }
    client.Send(record + "&sprog,2\r");
    EXPECT_EQ(client.LineStartingWith(":sprog", 500ms), std::nullopt) << "the frame went quiet";
    EXPECT_NE(sim.Do("info 127.0.0.2").find("image-records=0 "), std::string::npos);

    ASSERT_EQ(sim.Do("fault 127.0.0.2 clear"), "ok");
    ASSERT_EQ(sim.Do("fault 127.0.0.2 prog-error 2"), "ok");
    client.Send("&sprog,0\r" + record + record + record);
    EXPECT_EQ(client.LineStartingWith(":sprog"), ":sprog,0,0");
    EXPECT_EQ(client.LineStartingWith(":sprog"), ":sprog,0,1");
    EXPECT_EQ(client.LineStartingWith(":sprog"), ":sprog,-5,1");
    EXPECT_EQ(client.LineStartingWith(":sprog"), ":sprog,-4,1");
}

TEST(SimEndToEndTest, SettingsMessageMovesTheReportedAddressAndTellsTheConsoles) {
    SimProcess sim;
    LineClient client("127.0.0.2", sim.GetPorts().tcp);
    client.Send("?gdevid\r");
    ASSERT_TRUE(client.LineStartingWith(":gdevid").has_value()) << "the rack has taken the connection";
    Udp settings;
    settings.SendTo("127.255.255.255", sim.GetPorts().echo,
                    "%eip,'K5A0011703042',0,'10.0.0.9','255.255.255.0','10.0.0.1'\r");  // no flag: ignored
    settings.SendTo("127.255.255.255", sim.GetPorts().echo,
                    "%eip,'K5A0011703042',0,'10.0.0.9','255.255.255.0','10.0.0.1',1\r");
    EXPECT_EQ(client.LineStartingWith("%gip"), "%gip,0,'10.0.0.9','255.255.255.0','10.0.0.1','0050C2000001'");
    settings.SendTo("127.0.0.2", sim.GetPorts().echo,
                    "%eip,'K5A0011703042',1,'0.0.0.0','0.0.0.0','0.0.0.0',1\r");
    EXPECT_EQ(client.LineStartingWith("%gip"), "%gip,1,'127.0.0.2','255.0.0.0','127.0.0.1','0050C2000001'");
    EXPECT_EQ(DiscoveryAnswers(sim, "127.0.0.2").size(), 1u) << "the frame still answers where it lives";
}

TEST(SimEndToEndTest, TripAndInputCommandsReachTheConsoles) {
    SimProcess sim;
    LineClient client("127.0.0.2", sim.GetPorts().tcp);
    client.Send("?gdevid\r");
    ASSERT_TRUE(client.LineStartingWith(":gdevid").has_value()) << "the rack has taken the connection";
    ASSERT_EQ(sim.Do("trip 127.0.0.2 in 5"), "ok");
    EXPECT_EQ(client.LineStartingWith("%"), "%glevdetstatus,0,5,1");
    ASSERT_EQ(sim.Do("input 127.0.0.2 12 ESa"), "ok");
    EXPECT_EQ(client.LineStartingWith("%"), "%gmaininpstatus,12,ESa");
    client.Send("?llevdetstatus,0,4,2\r?lmaininpstatus,11,3\r");
    EXPECT_EQ(client.LineStartingWith(":"), ":llevdetstatus,0,0,4,2,0,1");
    EXPECT_EQ(client.LineStartingWith(":"), ":lmaininpstatus,0,11,3,--A,ESa,--A");
}

TEST(SimEndToEndTest, NetworkAudioIsStateOnlyAndRoutesToUnknownNamesAreUnresolved) {
    SimProcess sim;
    LineClient client("127.0.0.2", sim.GetPorts().tcp);
    client.Send(
        "&sppmcreate,'10.0.0.152',10100,1,4,50,0\r&sppmchn,1,4,600\r&sppmenable,1,1\r?lppmid\r"
        "&scrtxflow,1,2,'10.0.0.77',14528\r&stxflowslot,1,1,2\r&scrrxflow,1,2,14529,1000\r"
        "&scrossip,3,'localhost','05','WALLBOX'\r&scrossip,4,'localhost','06','NOBODY'\r"
        "?gppmchn,1,4\r?gtxflowslot,1,1\r?gcrossip,4,'localhost'\r");
    for (const char* reply :
         {":sppmcreate,0,'10.0.0.152',10100,1,4,50,0", ":sppmchn,0,1,4,600", ":sppmenable,0,1,1",
          ":lppmid,0,1", ":scrtxflow,0,1,2,'10.0.0.77',14528", ":stxflowslot,0,1,1,2",
          ":scrrxflow,0,1,2,14529,1000", ":scrossip,0,3,'localhost','05','WALLBOX'",
          ":scrossip,0,4,'localhost','06','NOBODY'", ":gppmchn,0,1,4,600", ":gtxflowslot,0,1,1,2",
          ":gcrossip,0,4,'localhost','06','NOBODY'"}) {
        EXPECT_EQ(client.LineStartingWith(":"), reply);
    }
    EXPECT_EQ(sim.Command("routes 127.0.0.2"),
              (std::vector<std::string>{"route 3 'STUDIO-A' 05 'WALLBOX' resolved",
                                        "route 4 'STUDIO-A' 06 'NOBODY' unresolved", "ok 2 routes"}));
}

TEST(SimEndToEndTest, KeepAliveGoesBothWaysAndASilentConsoleIsDropped) {
    SimProcess sim;
    ASSERT_EQ(sim.Do("state 127.0.0.2 galivetime 1"), "ok");
    LineClient console("127.0.0.2", sim.GetPorts().tcp);
    LineClient mute("127.0.0.2", sim.GetPorts().tcp);
    console.Send("?aliverequest\r");
    EXPECT_EQ(console.LineStartingWith(":aliverequest"), ":aliverequest,0");
    for (int n = 1; n <= 4; ++n) {
        const std::optional<std::string> request = console.LineStartingWith("?aliverequest", 3s);
        ASSERT_EQ(request, "?aliverequest,*" + std::to_string(n));
        console.Send(":aliverequest,0,*" + std::to_string(n) + "\r");
    }
    EXPECT_TRUE(mute.Closed(3s)) << "three unanswered keep-alives end the connection";
    EXPECT_FALSE(console.Closed(100ms));
}

TEST(SimEndToEndTest, FirmwareImageIsCountedAndRestartDropsAndReturns) {
    SimProcess sim({"--restart-ms", "2000"});
    LineClient client("127.0.0.2", sim.GetPorts().tcp);
    client.Send("&sprog,0\r");
    EXPECT_EQ(client.LineStartingWith(":sprog"), ":sprog,0,0");
    for (int i = 0; i < 50; ++i) {
        client.Send("&sprog,1#S1130000285F245F2212226A000424290008237C2A\r");
        ASSERT_EQ(client.LineStartingWith(":sprog"), ":sprog,0,1");
    }
    client.Send("&sprog,2\r");
    EXPECT_EQ(client.LineStartingWith(":sprog"), ":sprog,0,2");
    EXPECT_NE(sim.Do("info 127.0.0.2").find("image-records=50"), std::string::npos);

    client.Send("&srestart,1\r");
    EXPECT_EQ(client.LineStartingWith(":srestart"), ":srestart,0");
    EXPECT_TRUE(client.Closed(2s));
    const std::vector<std::string> goingAway = DiscoveryAnswers(sim, "127.0.0.2");
    ASSERT_EQ(goingAway.size(), 1u);
    EXPECT_EQ(goingAway[0].substr(10, 1), "!");
    std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(LineClient("127.0.0.2", sim.GetPorts().tcp).Connected());
    EXPECT_TRUE(DiscoveryAnswers(sim, "127.0.0.2").empty());
    EXPECT_TRUE(Eventually([&] { return DiscoveryAnswers(sim, "127.0.0.2").size() == 1; }));
    EXPECT_TRUE(LineClient("127.0.0.2", sim.GetPorts().tcp).Connected());
}

TEST(SimEndToEndTest, ModeSwitchMovesTheFrameBetweenItsPorts) {
    SimProcess sim({"--restart-ms", "300"});
    LineClient client("127.0.0.2", sim.GetPorts().tcp);
    client.Send("&sloadboot\r");
    EXPECT_EQ(client.LineStartingWith(":sloadboot"), ":sloadboot,0");
    EXPECT_TRUE(client.Closed(2s));
    ASSERT_TRUE(Eventually([&] { return LineClient("127.0.0.2", sim.GetPorts().telnet).Connected(); }));
    EXPECT_FALSE(LineClient("127.0.0.2", sim.GetPorts().tcp).Connected())
        << "recovery mode has no port 10003";
    LineClient telnet("127.0.0.2", sim.GetPorts().telnet);
    ASSERT_TRUE(telnet.Connected());
    EXPECT_NE(DiscoveryAnswers(sim, "127.0.0.2")[0].find(":edev,0,0,"), std::string::npos);
    telnet.Send("?gcross,1\r&sloadapp,0\r");
    EXPECT_EQ(telnet.LineStartingWith(":gcross"), ":gcross,-3,1");
    EXPECT_EQ(telnet.LineStartingWith(":sloadapp"), ":sloadapp,0,0");
    EXPECT_TRUE(Eventually([&] { return LineClient("127.0.0.2", sim.GetPorts().tcp).Connected(); }));
}

TEST(SimEndToEndTest, AnyBytesFromAClientLeaveTheConnectionWorking) {
    SimProcess sim;
    LineClient client("127.0.0.2", sim.GetPorts().tcp);
    std::mt19937 random(7);
    std::string noise;
    for (int i = 0; i < 200000; ++i)
        noise += static_cast<char>(random() & 0xFF);
    client.Send(noise);
    client.Send(std::string(100000, 'a'));  // one endless line
    client.Send("?" + std::string(5000, 'g') + "\r");
    client.Send("\r?gdevid\r");
    EXPECT_EQ(client.LineStartingWith(":gdevid", 5s), ":gdevid,0,1,'Studio A'");
    EXPECT_EQ(sim.Do("info 127.0.0.2").substr(0, 2), "ok");
}

}  // namespace
}  // namespace velmar::test
