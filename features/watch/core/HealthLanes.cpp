#include "features/watch/core/HealthLanes.h"

#include <map>
#include <string_view>

namespace velmar {

namespace {

using Clock = std::chrono::system_clock;
using Values = std::map<std::string, std::string, std::less<>>;

struct Reading {
    std::string value;
    SpanState state = SpanState::Unknown;
};

std::string_view Get(const Values& values, std::string_view what) {
    const auto found = values.find(what);
    return found == values.end() ? std::string_view() : std::string_view(found->second);
}

SpanState StatusState(std::string_view value) {
    return value == "ok" ? SpanState::Ok : value == "fault" ? SpanState::Fault : SpanState::Unknown;
}

// A lane's reading of the frame's values at one moment.
struct LaneRule {
    std::string title;
    Reading (*read)(const Values&, std::string_view what);
    std::string what;
};

Reading LinkReading(const Values& values, std::string_view) {
    const std::string_view link = Get(values, "link");
    return {std::string(link), link.empty()   ? SpanState::Unknown
                               : link == "up" ? SpanState::Ok
                                              : SpanState::Fault};
}

Reading SyncReading(const Values& values, std::string_view) {
    const std::string_view lock = Get(values, "sync");
    const std::string_view source = Get(values, "sync-source");
    if (lock.empty())
        return {};
    std::string value(lock);
    if (!source.empty())
        value += " (" + std::string(source) + ")";
    return {std::move(value), lock == "locked"     ? SpanState::Ok
                              : lock == "unlocked" ? SpanState::Fault
                                                   : SpanState::Unknown};
}

Reading RateReading(const Values& values, std::string_view) {
    const std::string_view rate = Get(values, "sample-rate");
    // A rate that moves is no fault of itself; a rate the frame cannot name is.
    return {std::string(rate), rate.empty()      ? SpanState::Unknown
                               : rate == "Error" ? SpanState::Fault
                                                 : SpanState::Ok};
}

Reading StatusReading(const Values& values, std::string_view what) {
    const std::string_view status = Get(values, what);
    return {std::string(status), StatusState(status)};
}

// While the frame cannot be reached, its last values are only what it said before: nothing
// is known of the supply that failed meanwhile.
Reading Masked(const Values& values, Reading reading) {
    const std::string_view link = Get(values, "link");
    if (link.empty() || link == "up")
        return reading;
    if (!reading.value.empty())
        reading.value = "no link; last " + reading.value;
    reading.state = SpanState::Unknown;
    return reading;
}

std::vector<LaneRule> Rules(std::span<const HealthChanged> changes, Clock::time_point end) {
    std::vector<LaneRule> rules{{"Link", LinkReading, "link"},
                                {"Sync", SyncReading, "sync"},
                                {"Sample rate", RateReading, "sample-rate"},
                                {"PSU 1", StatusReading, "psu1"},
                                {"PSU 2", StatusReading, "psu2"}};
    for (const char* fan : {"fan1", "fan2", "fan3"}) {
        for (const HealthChanged& change : changes) {
            if (change.time < end && change.what == fan) {
                rules.push_back({"Fan " + std::string(fan + 3), StatusReading, fan});
                break;
            }
        }
    }
    return rules;
}

}  // namespace

std::vector<HealthLane> BuildHealthLanes(std::span<const HealthChanged> changes, TimeRange range) {
    const std::vector<LaneRule> rules = Rules(changes, range.to);
    std::vector<HealthLane> lanes;
    for (const LaneRule& rule : rules)
        lanes.push_back({rule.title, {}});
    if (range.to <= range.from)
        return lanes;

    Values values;
    const auto mark = [&](Clock::time_point at) {
        for (std::size_t i = 0; i < rules.size(); ++i) {
            Reading reading = rules[i].read(values, rules[i].what);
            if (i != 0)
                reading = Masked(values, std::move(reading));
            std::vector<LaneSpan>& spans = lanes[i].spans;
            if (!spans.empty()) {
                if (spans.back().value == reading.value && spans.back().state == reading.state)
                    continue;
                spans.back().to = at;
            }
            spans.push_back({at, at, std::move(reading.value), reading.state});
        }
    };
    std::size_t next = 0;
    for (; next < changes.size() && changes[next].time < range.from; ++next)
        values[changes[next].what] = changes[next].to;
    mark(range.from);
    while (next < changes.size() && changes[next].time < range.to) {
        // Changes of one moment (a sync source and its lock) are one step, not a sliver each.
        const Clock::time_point at = changes[next].time;
        for (; next < changes.size() && changes[next].time == at; ++next)
            values[changes[next].what] = changes[next].to;
        mark(at);
    }
    for (HealthLane& lane : lanes) {
        lane.spans.back().to = range.to;
        std::erase_if(lane.spans, [](const LaneSpan& span) { return span.from == span.to; });
    }
    return lanes;
}

}  // namespace velmar
