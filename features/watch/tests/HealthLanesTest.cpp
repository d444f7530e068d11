#include <gtest/gtest.h>

#include "features/watch/core/HealthCsv.h"
#include "features/watch/core/HealthLanes.h"

namespace velmar {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::system_clock;

const Clock::time_point t0 = Clock::time_point(1'800'000'000'000ms);
constexpr SpanState Ok = SpanState::Ok, Fault = SpanState::Fault, Unknown = SpanState::Unknown;

const HealthLane& Lane(const std::vector<HealthLane>& lanes, std::string_view title) {
    for (const HealthLane& lane : lanes) {
        if (lane.title == title)
            return lane;
    }
    throw std::runtime_error("no lane " + std::string(title));
}

TEST(HealthLanes, ValuesBeforeTheRangeAreCarriedInAndSpansEndAtItsEnd) {
    const std::vector<HealthChanged> changes{
        {"f", "link", "", "up", t0 - 3h},
        {"f", "psu1", "", "ok", t0 - 3h},
        {"f", "sample-rate", "", "48 kHz", t0 - 2h},
        {"f", "psu1", "ok", "fault", t0 - 1h},  // the last before the range wins
        {"f", "psu1", "fault", "ok", t0 + 10min},
        {"f", "sample-rate", "48 kHz", "96 kHz", t0 + 20min},
        {"f", "psu1", "ok", "fault", t0 + 1h},  // at the range's end: not drawn
    };
    const auto lanes = BuildHealthLanes(changes, {t0, t0 + 1h});
    EXPECT_EQ(Lane(lanes, "PSU 1").spans,
              (std::vector<LaneSpan>{{t0, t0 + 10min, "fault", Fault}, {t0 + 10min, t0 + 1h, "ok", Ok}}));
    EXPECT_EQ(Lane(lanes, "Sample rate").spans,
              (std::vector<LaneSpan>{{t0, t0 + 20min, "48 kHz", Ok}, {t0 + 20min, t0 + 1h, "96 kHz", Ok}}));
    EXPECT_EQ(Lane(lanes, "Link").spans, (std::vector<LaneSpan>{{t0, t0 + 1h, "up", Ok}}));
    EXPECT_EQ(Lane(lanes, "PSU 2").spans, (std::vector<LaneSpan>{{t0, t0 + 1h, "", Unknown}}))
        << "a value never reported is unknown throughout";
    for (const HealthLane& lane : lanes)
        EXPECT_FALSE(lane.title.starts_with("Fan")) << "no fan was named";
}

TEST(HealthLanes, UnknownUntilTheFirstValueAndWhileTheLinkIsDown) {
    const std::vector<HealthChanged> changes{
        {"f", "link", "", "up", t0 + 5min},
        {"f", "sync-source", "", "Word clock", t0 + 5min},
        {"f", "sync", "", "locked", t0 + 5min},
        {"f", "fan2", "", "ok", t0 + 5min},
        {"f", "link", "up", "lost", t0 + 30min},
        {"f", "link", "lost", "up", t0 + 40min},
        // The source and its lock move at one moment: one step, not a sliver between them.
        {"f", "sync-source", "Word clock", "AES 1", t0 + 50min},
        {"f", "sync", "locked", "unlocked", t0 + 50min},
    };
    const auto lanes = BuildHealthLanes(changes, {t0, t0 + 1h});
    EXPECT_EQ(Lane(lanes, "Link").spans, (std::vector<LaneSpan>{{t0, t0 + 5min, "", Unknown},
                                                                {t0 + 5min, t0 + 30min, "up", Ok},
                                                                {t0 + 30min, t0 + 40min, "lost", Fault},
                                                                {t0 + 40min, t0 + 1h, "up", Ok}}));
    EXPECT_EQ(Lane(lanes, "Sync").spans,
              (std::vector<LaneSpan>{{t0, t0 + 5min, "", Unknown},
                                     {t0 + 5min, t0 + 30min, "locked (Word clock)", Ok},
                                     {t0 + 30min, t0 + 40min, "no link; last locked (Word clock)", Unknown},
                                     {t0 + 40min, t0 + 50min, "locked (Word clock)", Ok},
                                     {t0 + 50min, t0 + 1h, "unlocked (AES 1)", Fault}}));
    ASSERT_EQ(lanes.size(), 6u) << "the fan the frame named, only";
    EXPECT_EQ(lanes.back().title, "Fan 2");
    EXPECT_TRUE(BuildHealthLanes(changes, {t0, t0})[0].spans.empty());
}

TEST(HealthCsv, QuotesLikeRfc4180AndKeepsAFramesTextHarmless) {
    const std::vector<HealthChanged> changes{
        {"127.0.0.2", "name", "", "Studio \"A\", left\r\n\x1b[2J", t0 + 125ms},
        {"127.0.0.2", "name", "x", "=HYPERLINK(\"evil\")", t0},
        {"127.0.0.2", "psu1", "ok", "fault", t0},
    };
    EXPECT_EQ(HealthChangesCsv(changes),
              "time,frame,what,from,to\r\n"
              "2027-01-15T08:00:00.125Z,127.0.0.2,name,,\"Studio \"\"A\"\", left\\x0d\\x0a\\x1b[2J\"\r\n"
              "2027-01-15T08:00:00.000Z,127.0.0.2,name,x,\"'=HYPERLINK(\"\"evil\"\")\"\r\n"
              "2027-01-15T08:00:00.000Z,127.0.0.2,psu1,ok,fault\r\n");
}

}  // namespace
}  // namespace velmar
