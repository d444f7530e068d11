#include "features/watch/core/HealthText.h"

#include <charconv>
#include <cstdio>
#include <ctime>

#include "protocol/TextEncoding.h"

namespace velmar {

namespace {

using Clock = std::chrono::system_clock;

bool Digits(std::string_view text, std::size_t at, std::size_t count, int& value) {
    if (at + count > text.size())
        return false;
    const char* first = text.data() + at;
    const auto result = std::from_chars(first, first + count, value);
    return result.ec == std::errc{} && result.ptr == first + count;
}

}  // namespace

std::string HealthTimeText(Clock::time_point time) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
    const std::time_t whole = ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
    std::tm utc{};
    gmtime_r(&whole, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  static_cast<int>(ms - whole * 1000));
    return text;
}

std::optional<Clock::time_point> ParseHealthTime(std::string_view text, Clock::time_point now) {
    if (text.size() >= 2 && text.find_first_not_of("0123456789") == text.size() - 1) {
        long long count = 0;
        const auto result = std::from_chars(text.data(), text.data() + text.size() - 1, count);
        if (result.ec != std::errc{} || count > 100LL * 365 * 86400)
            return std::nullopt;
        const long long unit = text.back() == 's'   ? 1
                               : text.back() == 'm' ? 60
                               : text.back() == 'h' ? 3600
                               : text.back() == 'd' ? 86400
                                                    : 0;
        if (unit == 0)
            return std::nullopt;
        return now - std::chrono::seconds(count * unit);
    }
    // YYYY-MM-DD[THH:MM:SS[.mmm][Z]]
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millis = 0;
    if (!Digits(text, 0, 4, year) || text.size() < 10 || text[4] != '-' || !Digits(text, 5, 2, month) ||
        text[7] != '-' || !Digits(text, 8, 2, day))
        return std::nullopt;
    std::size_t at = 10;
    if (at < text.size()) {
        if ((text[at] != 'T' && text[at] != ' ') || !Digits(text, 11, 2, hour) || text.size() < 19 ||
            text[13] != ':' || !Digits(text, 14, 2, minute) || text[16] != ':' ||
            !Digits(text, 17, 2, second))
            return std::nullopt;
        at = 19;
        if (at < text.size() && text[at] == '.') {
            if (!Digits(text, 20, 3, millis))
                return std::nullopt;
            at = 23;
        }
        if (at < text.size() && text[at] == 'Z')
            ++at;
        if (at != text.size())
            return std::nullopt;
    }
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
        return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year(year),
                                           std::chrono::month(static_cast<unsigned>(month)),
                                           std::chrono::day(static_cast<unsigned>(day))};
    if (!date.ok())
        return std::nullopt;
    return Clock::time_point(std::chrono::sys_days(date).time_since_epoch() + std::chrono::hours(hour) +
                             std::chrono::minutes(minute) + std::chrono::seconds(second) +
                             std::chrono::milliseconds(millis));
}

std::string HealthChangeLine(const HealthChanged& change) {
    std::string line =
        HealthTimeText(change.time) + " " + TerminalSafe(change.frame) + " " + change.what + " ";
    if (!change.from.empty())
        line += TerminalSafe(change.from) + " -> ";
    return line + TerminalSafe(change.to);
}

std::string HealthChangeJson(const HealthChanged& change) {
    return "{\"time\":\"" + HealthTimeText(change.time) + "\",\"frame\":" + JsonQuoted(change.frame) +
           ",\"what\":" + JsonQuoted(change.what) +
           ",\"from\":" + (change.from.empty() ? std::string("null") : JsonQuoted(change.from)) +
           ",\"to\":" + JsonQuoted(change.to) + "}";
}

}  // namespace velmar
