#include <gtest/gtest.h>

#include "features/watch/core/HealthText.h"

namespace velmar {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::system_clock;

const Clock::time_point kNoon = Clock::time_point(
    std::chrono::sys_days(std::chrono::year(2026) / 12 / 8).time_since_epoch() + 12h + 125ms);

TEST(HealthText, TimesGoOutAsUtcAndComeBackTheSame) {
    EXPECT_EQ(HealthTimeText(kNoon), "2026-12-08T12:00:00.125Z");
    EXPECT_EQ(ParseHealthTime("2026-12-08T12:00:00.125Z", {}), kNoon);
    EXPECT_EQ(ParseHealthTime("2026-12-08 12:00:00", {}), kNoon - 125ms);
    EXPECT_EQ(ParseHealthTime("2026-12-08", {}), kNoon - 12h - 125ms);
    EXPECT_EQ(ParseHealthTime("90s", kNoon), kNoon - 90s);
    EXPECT_EQ(ParseHealthTime("2h", kNoon), kNoon - 2h);
    EXPECT_EQ(ParseHealthTime("7d", kNoon), kNoon - 7 * 24h);
    for (const char* bad : {"", "h", "5w", "-5m", "2026-02-30", "2026-12-08T25:00:00", "2026-12-08T12:00",
                            "2026-12-08T12:00:00+01:00", "yesterday", "99999999999999999999d"}) {
        EXPECT_FALSE(ParseHealthTime(bad, kNoon)) << bad;
    }
}

TEST(HealthText, ChangesAreSafeForATerminalAndValidJson) {
    const HealthChanged named{"127.0.0.2", "name", "Studio\x1b[2J", "Caf\xc3\xa9\n", kNoon};
    EXPECT_EQ(HealthChangeLine(named),
              "2026-12-08T12:00:00.125Z 127.0.0.2 name Studio\\x1b[2J -> Caf\xc3\xa9\\x0a");
    EXPECT_EQ(HealthChangeJson(named),
              "{\"time\":\"2026-12-08T12:00:00.125Z\",\"frame\":\"127.0.0.2\",\"what\":"
              "\"name\",\"from\":\"Studio\\u001b[2J\",\"to\":\"Caf\xc3\xa9\\u000a\"}");
    const HealthChanged first{"127.0.0.2", "psu1", "", "ok", kNoon};
    EXPECT_EQ(HealthChangeLine(first), "2026-12-08T12:00:00.125Z 127.0.0.2 psu1 ok");
    EXPECT_NE(HealthChangeJson(first).find("\"from\":null,"), std::string::npos);
}

}  // namespace
}  // namespace velmar
