#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <tuple>

#include "features/routing/core/ChannelNames.h"
#include "features/show/core/ShowComparison.h"
#include "features/show/core/ShowFile.h"
#include "tests/support/TempFolder.h"

namespace velmar {
namespace {

constexpr std::int32_t kChannels = 1536;

// A frame as a session would hold it once read: a few settings, routes and labels.
// The frame image and the routing unit's table, as a session holds them.
struct Image {
    DeviceState frame;
    CrosspointTable routes{};
    GainTables gains{};
    LevelDetectorTables detectors{};
    PpmStreamTable ppm;
    FlowTables flows;
    IpRouteTable autoRoutes;

    LiveFrame Live() const {
        return {frame,      routes, kChannels, 1,           true, &gains,
                &detectors, &ppm,   &flows,    &autoRoutes, 3000, {"127.0.0.2"}};
    }
};

std::unique_ptr<Image> Frame(std::string_view serial) {
    auto image = std::make_unique<Image>();
    DeviceState* state = &image->frame;
    state->config.devInfo.serial.Assign(serial);
    state->config.deviceName.Assign("Studio A");
    state->config.aliveTime = 30;
    state->config.deviceId = 7;
    state->config.lan.ip.Assign("127.0.0.2");
    state->config.lan.subnet.Assign("255.0.0.0");
    image->routes[19] = 5;    // output 20 from input 5
    image->routes[1535] = 1;  // the last output
    state->config.inputLabels[4].Assign("Kick In");
    state->config.outputLabels[0].Assign(
        "Gr\xFC"
        "n");                                    // Windows-1252: "Grün"
    image->gains[0][6] = {{true, 3, 50}, 0, 1};  // in 7: -3.50 dB, muted
    image->detectors[1][9] = {{{true, 40, 0}, 500, {true, 60, 5}, 1000}, 1, 1};
    image->ppm.Apply({3, 2, 50, 0, 10200, "10.0.0.9", true});
    image->ppm.Assign({3, 1, 17});
    image->flows.Apply({true, 2, 2, "10.1.1.1", 14530, 0});
    image->flows.ApplySlot({true, 2, 0, 3});
    image->flows.ApplySlot({true, 2, 1, 4});
    image->autoRoutes.Apply({5, "localhost", "07", "TRUCK-B"});
    return image;
}

ShowFile Parsed(const std::string& text, std::string& problem) {
    return ShowFile::Parse(text, "rack.toml", problem);
}

TEST(ShowFile, RoundTripKeepsEveryItemInTheFramesOrder) {
    const auto a = Frame("K5A0011703042");
    const auto b = Frame("K5A0001");
    ShowFile show;
    show.frames.push_back(ShowFile::Capture(a->Live(), "127.0.0.2"));
    show.frames.push_back(ShowFile::Capture(b->Live(), "127.0.0.3"));
    const std::string text = show.Text();
    // Frames by serial, one item per line, names as the console shows them, UTF-8 labels.
    EXPECT_LT(text.find("[frame.K5A0001]"), text.find("[frame.K5A0011703042]"));
    EXPECT_NE(text.find("\n\"" + ChannelText(20) + "\" = \"" + ChannelText(5) + "\"\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("\n\"in 5\" = \"Kick In\"\n"), std::string::npos);
    EXPECT_NE(text.find("\n\"out 1\" = \"Gr\xC3\xBCn\"\n"), std::string::npos);
    EXPECT_NE(text.find("\nAliveTime = 30\n"), std::string::npos);
    EXPECT_NE(text.find("\nName = \"Studio A\"\n"), std::string::npos);
    EXPECT_NE(text.find("\n\"in 7\" = { gain = \"-3.50\", phase = false, mute = true }\n"),
              std::string::npos);
    EXPECT_NE(
        text.find("\n\"tx 2\" = { slots = 2, address = \"10.1.1.1\", port = 14530, channels = [3, 4] }\n"
                  "\"auto 5\" = { destination = \"localhost\", channel = 7, source = \"TRUCK-B\" }\n"),
        std::string::npos);
    EXPECT_NE(text.find("\n\"out 10\" = { time1 = 500, level1 = \"-40\", time2 = 1000, level2 = \"-60.05\", "
                        "enabled = true }\n"),
              std::string::npos)
        << "the detector's status is the frame's, not the show's";
    EXPECT_NE(text.find("\n3 = { address = \"10.0.0.9\", port = 10200, channels = 2, rate = 50, phase = 0, "
                        "enabled = true, assigned = [17, 0] }\n"),
              std::string::npos);

    std::string problem;
    const ShowFile read = Parsed(text, problem);
    ASSERT_EQ(problem, "");
    ASSERT_EQ(read.frames.size(), 2u);
    EXPECT_EQ(read.Text(), text) << "written again, the file is the same";
    const ShowFrame& frame = read.frames[1];
    EXPECT_EQ(frame.serial, "K5A0011703042");
    EXPECT_EQ(frame.address, "127.0.0.2");
    ASSERT_EQ(frame.routes.size(), 2u);
    EXPECT_EQ(frame.routes[0].output, 20);
    EXPECT_EQ(frame.routes[0].input, 5);
    EXPECT_EQ(frame.routes[1].output, 1536);
    ASSERT_EQ(frame.labels.size(), 2u);
    EXPECT_EQ(frame.labels[1].bytes, "Gr\xFCn") << "the frame gets the bytes it gave";
    ASSERT_EQ(frame.gains.size(), 1u);
    ASSERT_EQ(frame.detectors.size(), 1u);
    EXPECT_EQ(frame.detectors[0].thresholds, a->detectors[1][9].thresholds);
    EXPECT_TRUE(ShowComparison::Of(frame, "rack.toml", a->Live(), false).Equal());

    // A frame without gains or detectors has no such sections, and a show that has them is not for it.
    const LiveFrame bare{a->frame, a->routes, kChannels, 1};
    const std::string plain = ShowFile{{ShowFile::Capture(bare, "127.0.0.2")}}.Text();
    EXPECT_EQ(plain.find(".gains]"), std::string::npos);
    EXPECT_EQ(plain.find(".detectors]"), std::string::npos);
    EXPECT_EQ(plain.find(".ppm]"), std::string::npos);
    EXPECT_EQ(plain.find(".flows]"), std::string::npos);
    const ShowComparison refused = ShowComparison::Of(frame, "rack.toml", bare, false);
    EXPECT_EQ(refused.problem, "rack.toml:" + std::to_string(frame.cardSection.line) +
                                   ": frame K5A0011703042 has no card slots.");
    EXPECT_FALSE(refused.edited);
}

TEST(ShowFile, EveryChannelNameReadsBackAsItsChannel) {
    for (std::int32_t channel = 1; channel <= 2048; ++channel) {
        ShowFile show;
        ShowFrame frame;
        frame.serial = "S";
        frame.channels = 2048;
        frame.routes.push_back({channel, channel, 0});
        show.frames.push_back(frame);
        std::string problem;
        const ShowFile read = Parsed(show.Text(), problem);
        ASSERT_EQ(problem, "") << ChannelText(channel);
        ASSERT_EQ(read.frames[0].routes[0].output, channel) << ChannelText(channel);
    }
}

TEST(ShowFile, ChangingOneItemChangesOneLine) {
    const auto state = Frame("K5A1");
    ShowFile before;
    before.frames.push_back(ShowFile::Capture(state->Live(), "127.0.0.2"));
    state->routes[19] = 8;
    ShowFile after;
    after.frames.push_back(ShowFile::Capture(state->Live(), "127.0.0.2"));
    std::istringstream a(before.Text());
    std::istringstream b(after.Text());
    std::string lineA;
    std::string lineB;
    int changed = 0;
    while (std::getline(a, lineA) && std::getline(b, lineB))
        changed += lineA != lineB ? 1 : 0;
    EXPECT_EQ(changed, 1);
}

// A frame table that the cases below spoil one line of.
std::string Show(std::string_view extra, std::string_view section = "labels") {
    return "format = 1\n[frame.K5A1]\nname = \"A\"\naddress = \"127.0.0.2\"\nchannels = 64\n[frame.K5A1." +
           std::string(section) + "]\n" + std::string(extra) + "\n";
}

// A stream line with one value put in.
std::string Stream(const std::string& value) {
    std::string fields =
        "address = \"10.0.0.9\", port = 10200, channels = 2, rate = 50, phase = 0, enabled = true, "
        "assigned = [1, 2]";
    const std::string key = value.substr(0, value.find(' '));
    const std::size_t at = fields.find(key + " = ");
    const std::size_t end = fields.find(key == "assigned" ? "]" : ",", at);
    fields.replace(at, end - at + (key == "assigned" ? 1 : 0), value);
    return "1 = { " + fields + " }";
}

TEST(ShowFile, HandEditedFaultsAreRefusedWithFileAndLine) {
    const struct {
        std::string text;
        std::string problem;
    } cases[] = {
        {"format = 2\n", "rack.toml:1: written in show format 2 by a newer Velmar; this one reads format 1."},
        {"[frame.K5A1]\nchannels = 8\n", "rack.toml: this is not a show file (no format = 1)."},
        {Show("Colour = 1", "settings"), "rack.toml:7: \"Colour\" is not a setting."},
        {Show("AliveTime = \"30\"", "settings"), "rack.toml:7: AliveTime needs a whole number."},
        {Show("\"MADI 65\" = \"AES 01\"", "routes"),
         "rack.toml:7: \"MADI 65\" is not a channel name such as \"MADI 20\"."},
        {Show("\"" + ChannelText(65) + "\" = \"AES 01\"", "routes"),
         "rack.toml:7: " + ChannelText(65) + " is beyond the frame's 64 channels."},
        {Show("\"in 65\" = \"x\""), "rack.toml:7: channel 65 is beyond the frame's 64 channels."},
        {Show("\"in 0\" = \"x\""), "rack.toml:7: \"in 0\" is not a channel such as \"in 5\" or \"out 5\"."},
        {Show("\"in 5\" = \"x\"\n\"in 05\" = \"y\""),
         "rack.toml:8: \"in 05\" is not a channel such as \"in 5\" or \"out 5\"."},
        {Show("\"in 5\" = \"Kick, In\""), ""},  // the line cannot carry a comma: checked below
        {Show("\"in 5\" = \"\xE2\x82\xAC\xE6\x97\xA5\""), ""},
        {Show("\"in 5\" = \"seventeen letters\""), ""},
        {Show("[frame.K5A1]\nchannels = 8"), "rack.toml:7: "},
        {Show("pan = 1", "extras"), "rack.toml:6: \"extras\" is not part of a frame's show."},
        {Show("\"in 5\" = { gain = \"-3.5\", phase = false }", "gains"),
         "rack.toml:7: \"in 5\" needs { gain = \"-3.50\", phase = false, mute = false }."},
        {Show("\"in 5\" = { gain = \"-3.5\", phase = false, mute = 0 }", "gains"),
         "rack.toml:7: mute needs true or false."},
        {Show("\"in 5\" = { gain = \"3.555\", phase = false, mute = false }", "gains"),
         "rack.toml:7: gain must be a number of dB from -32767 to 32767 with at most two decimals."},
        {Show("\"out 5\" = { time1 = 500, level1 = -40, time2 = 60001, level2 = \"0\", enabled = true }",
              "detectors"),
         "rack.toml:7: Output time 2 must be a whole number of ms from 0 to 60000."},
        {Show(
             "\"in 5\" = { time1 = 500, level1 = \"-40\", time2 = 1, level2 = \"0\", enabled = true, x = 1 }",
             "detectors"),
         "rack.toml:7: \"in 5\" needs { time1 = 500, level1 = \"-40\", time2 = 1000, level2 = \"-60\", "
         "enabled = "
         "true }."},
        {Show("\"in 65\" = { time1 = 0, level1 = \"0\", time2 = 0, level2 = \"0\", enabled = true }",
              "detectors"),
         "rack.toml:7: channel 65 is beyond the frame's 64 channels."},
        {Show("03 = {}", "ppm"), "rack.toml:7: \"03\" is not a stream ID from 1 to 65535."},
        {Show(Stream("address = \"0.0.0.0\""), "ppm"),
         "rack.toml:7: '0.0.0.0' is not a usable IPv4 address."},
        {Show(Stream("port = 999"), "ppm"), "rack.toml:7: port needs a whole number from 1000 to 65535."},
        {Show(Stream("rate = 60001"), "ppm"), "rack.toml:7: rate needs a whole number from 10 to 60000."},
        {Show(Stream("assigned = [1]"), "ppm"),
         "rack.toml:7: assigned needs the frame channel of each of the stream's 2 channels (0 for none)."},
        {Show(Stream("assigned = [1, 65]"), "ppm"),
         "rack.toml:7: assigned needs frame channels from 0 (none) to the frame's 64."},
        {Show("card = \"AD converter\"", "cards.9"), "rack.toml:6: \"9\" is not a card slot from 1 to 8."},
        {Show("\"1:Mode\" = \"mic\"", "cards.2"),
         "rack.toml:6: slot 2 needs card = the kind of card, such as \"AD converter\"."},
        {Show("card = \"AD converter\"\n\"1:Max output level\" = \"0.00\"", "cards.2"),
         "rack.toml:8: the AD converter has no parameter \"1:Max output level\" to set."},
        {Show("card = \"DA converter\"\n\"1:Max output level\" = \"0.00\"", "cards.2"),
         "rack.toml:8: the DA converter has no parameter \"1:Max output level\" to set."},
        {Show("\"tx 33\" = {}", "flows"),
         "rack.toml:7: \"tx 33\" is not a flow such as \"tx 1\" or \"rx 32\", nor a route such as \"auto "
         "64\"."},
        {Show("\"rx 1\" = { slots = 2, port = 14527, latency = 0, channels = [1, 2] }", "flows"),
         "rack.toml:7: port needs a whole number from 14528 to 14591."},
        {Show("\"tx 1\" = { slots = 2, address = \"10.1.1.1\", port = 14528, channels = [1, 65] }", "flows"),
         "rack.toml:7: channels needs network channels from 0 (none) to 64."},
        {Show("\"auto 1\" = { destination = \"a,b\", channel = 1, source = \"B\" }", "flows"), ""},
        {Show("\"auto 1\" = { destination = \"A\", channel = 0, source = \"B\" }", "flows"),
         "rack.toml:7: channel needs a whole number from 1 to 64."},
    };
    for (const auto& c : cases) {
        std::string problem;
        const ShowFile read = Parsed(c.text, problem);
        EXPECT_TRUE(read.frames.empty()) << c.text;
        if (c.problem.empty()) {
            EXPECT_TRUE(problem.starts_with("rack.toml:7: ")) << c.text << "\n" << problem;
        } else if (c.problem.ends_with(": ")) {
            EXPECT_TRUE(problem.starts_with(c.problem)) << c.text << "\n" << problem;  // toml++'s own words
        } else {
            EXPECT_EQ(problem, c.problem) << c.text;
        }
    }
}

TEST(ShowFile, LoadTakesOnlyRegularFiles) {
    std::string problem;
    EXPECT_TRUE(ShowFile::Load("/dev/null", problem).frames.empty());
    EXPECT_NE(problem, "");
    EXPECT_TRUE(ShowFile::Load("/nonexistent/rack.toml", problem).frames.empty());
    EXPECT_NE(problem, "");
}

TEST(ShowComparison, NamesEachDifferenceFromTheFrameToTheFile) {
    const auto live = Frame("K5A1");
    ShowFrame show = ShowFile::Capture(live->Live(), "127.0.0.2");
    for (ShowSetting& setting : show.settings) {
        if (setting.key == "AliveTime")
            setting.value = "45";
        if (setting.key == "IP")
            setting.value = "127.0.0.9";
    }
    show.routes[0].input = 8;
    show.routes.push_back({21, 0, 0});
    show.labels.insert(show.labels.begin(), {0, 6, "Snare", 0});
    show.labels.push_back({1, 1600, "Far", 0});
    live->routes[99] = 3;
    show.gains.clear();  // in 7 -3.50 muted is kept; out 8 is to be cleared, in 9 set
    show.gains.push_back({1, 8, {}, 0});
    show.gains.push_back({0, 9, {{false, 1, 0}, 0, 0}, 0});
    live->gains[1][7] = {{true, 6, 0}, 1, 0};
    show.detectors[0].enabled = false;
    show.detectors[0].thresholds.time2 = 2000;
    show.detectors.push_back({0, 3, {{true, 20, 0}, 10, {}, 0}, true, 0});
    live->ppm.Apply({4, 2, 50, 0, 10201, "10.0.0.9", false});  // rate and enable to change
    live->ppm.Apply({5, 2, 50, 0, 10202, "10.0.0.9", false});  // removed by the show
    live->ppm.Apply({6, 1, 50, 0, 10203, "10.0.0.9", false});  // kept
    show.ppm[0].stream.assigned[1] = 20;
    show.ppm.push_back({*live->ppm.Find(4), false, 0});
    show.ppm.back().stream.rate = 100;
    show.ppm.back().stream.enabled = true;
    show.ppm.push_back({{}, true, 0});
    show.ppm.back().stream.id = 5;
    live->flows.Apply({false, 4, 2, "", 14531, 1000});
    show.flows[0].entry.channels[1] = 9;  // tx 2: one slot
    show.flows.push_back({false, 4, *live->flows.Find(false, 4), false, 0});
    show.flows.back().entry.latency = 2000;                                     // rx 4 made again
    show.flows.push_back({true, 6, {2, "127.0.0.2", 14532, 0, {}}, false, 0});  // the frame itself
    show.autoRoutes[0].removed = true;
    live->frame.config.danteAutoRoute = 1;

    const ShowComparison c = ShowComparison::Of(show, "rack.toml", live->Live(), false);
    EXPECT_EQ(c.problem, "");
    EXPECT_EQ(c.settings, std::vector<std::string>{"AliveTime: 30 to 45"});
    EXPECT_EQ(c.routes, std::vector<std::string>{ChannelText(20) + ": from " + ChannelText(5) + " to " +
                                                 ChannelText(8)})
        << "output 21 is disconnected already";
    EXPECT_EQ(c.labels, std::vector<std::string>{"label in 6: '' to 'Snare'"});
    EXPECT_EQ(c.absent,
              std::vector<std::string>{"label out 1600 'Far': the frame labels channels 1 to 1536"});
    ASSERT_EQ(c.kept.size(), 4u);
    EXPECT_EQ(c.kept[0], "IP kept as the frame's own (--network sends the show's 127.0.0.9)");
    EXPECT_EQ(c.kept[1], ChannelText(100) + " from " + ChannelText(3) + " is not in the show: kept");
    EXPECT_EQ(c.kept[2], "gain in 7 -3.50 muted is not in the show: kept");
    EXPECT_TRUE(c.kept[3].starts_with("ppm stream 6 ")) << c.kept[3];
    ASSERT_NE(c.edited, nullptr);
    EXPECT_EQ(c.edited->aliveTime, 45);
    EXPECT_EQ(c.edited->lan.ip.View(), "127.0.0.2");
    EXPECT_EQ(c.crosspoints, (std::vector<Crosspoint>{{20, 8}}));
    ASSERT_EQ(c.labelChanges.size(), 1u);
    EXPECT_EQ(c.gains, (std::vector<std::string>{"gain out 8: -6.00 phase inverted to 0.00",
                                                 "gain in 9: 0.00 to 1.00"}));
    EXPECT_EQ(c.gainClears, std::vector<std::int32_t>{8}) << "its input is clear already";
    EXPECT_EQ(c.unsent.front(), "gain in 9: the console only clears gains; set 1.00 at the frame");
    EXPECT_EQ(c.detectors, (std::vector<std::string>{
                               "detector in 3: 0 ms 0 dB, 0 ms 0 dB, off to 10 ms -20 dB, 0 ms 0 dB, on",
                               "detector out 10: 500 ms -40 dB, 1000 ms -60.05 dB, on to 500 ms -40 dB, "
                               "2000 ms -60.05 dB, off"}));
    using K = DetectorRequest::Kind;
    const DetectorThresholds out10 = show.detectors[0].thresholds;
    EXPECT_EQ(c.detectorRequests,
              (std::vector<DetectorRequest>{{K::Thresholds, 0, 3, {{true, 20, 0}, 10, {}, 0}, false},
                                            {K::State, 0, 3, {}, true},
                                            {K::Thresholds, 1, 10, out10, false},
                                            {K::State, 1, 10, {}, false}}))
        << "per channel: thresholds before enable, input before output";
    using P = PpmRequest::Kind;
    ASSERT_EQ(c.ppm.size(), 3u);
    EXPECT_EQ(c.ppm[2],
              "ppm stream 5: 10.0.0.9:10202, 2 channels, 50 ms, phase 0, off, channels 0,0 to none");
    std::vector<std::pair<P, std::uint32_t>> sent;
    for (const PpmRequest& r : c.ppmRequests)
        sent.emplace_back(r.kind, r.id);
    EXPECT_EQ(sent, (std::vector<std::pair<P, std::uint32_t>>{
                        {P::Assign, 3}, {P::Delete, 4}, {P::Create, 4}, {P::Enable, 4}, {P::Delete, 5}}))
        << "a stream whose settings differ is made again; one only assigned differently is not";
    EXPECT_EQ(c.ppmRequests[0].frameChannel, 20);
    using F = FlowRequest::Kind;
    std::vector<std::tuple<F, bool, std::int32_t>> flows;
    for (const FlowRequest& r : c.flowRequests)
        flows.emplace_back(r.kind, r.transmit, r.flow);
    EXPECT_EQ(
        flows,
        (std::vector<std::tuple<F, bool, std::int32_t>>{
            {F::Slot, true, 2}, {F::Delete, false, 4}, {F::Create, false, 4}, {F::AutoRoute, false, 5}}));
    EXPECT_EQ(c.flowRequests[3].route.sourceChannel, "") << "an empty source channel removes the route";
    EXPECT_EQ(c.flows.back(), "auto route 5: localhost from TRUCK-B 07 to none");
    ASSERT_EQ(c.unsent.size(), 2u);
    EXPECT_TRUE(c.unsent[1].starts_with("tx flow 6: "))
        << "a Tx flow to the frame itself is not sent: " << c.unsent[1];

    const ShowComparison network = ShowComparison::Of(show, "rack.toml", live->Live(), true);
    EXPECT_EQ(network.settings.size(), 2u);
    EXPECT_EQ(network.edited->lan.ip.View(), "127.0.0.9");
}

TEST(ShowComparison, ASettingTheFrameCannotTakeIsRefusedAtItsLine) {
    const auto live = Frame("K5A1");
    ShowFrame show = ShowFile::Capture(live->Live(), "127.0.0.2");
    for (ShowSetting& setting : show.settings) {
        if (setting.key == "AliveTime") {
            setting.value = "301";
            setting.line = 42;
        }
    }
    const ShowComparison c = ShowComparison::Of(show, "rack.toml", live->Live(), false);
    EXPECT_EQ(c.problem, "rack.toml:42: AliveTime: 301 is out of range (0 to 300).");
    EXPECT_EQ(c.edited, nullptr);
    EXPECT_TRUE(c.crosspoints.empty()) << "nothing is to be sent";
}

TEST(ShowFile, SaveWritesTheFileWhole) {
    const auto state = Frame("K5A1");
    ShowFile show;
    show.frames.push_back(ShowFile::Capture(state->Live(), "127.0.0.2"));
    const std::string path = test::OwnTempFolder() + "/rack.toml";
    ASSERT_EQ(show.Save(path), "");
    std::string problem;
    EXPECT_EQ(ShowFile::Load(path, problem).Text(), show.Text());
    EXPECT_EQ(problem, "");
}

}  // namespace
}  // namespace velmar
