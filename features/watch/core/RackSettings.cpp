#include "features/watch/core/RackSettings.h"

#include <charconv>

#include "protocol/Ipv4Address.h"

namespace velmar {

namespace {

constexpr std::string_view kSection = "Rack";

std::string AlarmKey(AlarmKind kind) {
    return "Alarm " + std::string(AlarmKindKey(kind));
}

}  // namespace

RackSettings RackSettings::Load(const ProfileStore& profile) {
    RackSettings settings;
    if (const auto watch = profile.Read(kSection, "Watch"))
        settings.watchAll = *watch != "ticked";
    if (const auto ticked = profile.Read(kSection, "Ticked")) {
        std::size_t at = 0;
        while (at < ticked->size()) {
            std::size_t end = ticked->find(' ', at);
            if (end == std::string::npos)
                end = ticked->size();
            const std::string word = ticked->substr(at, end - at);
            // Only an address is taken: a frame is ticked whatever mode it runs in.
            if (ParseIpv4(word))
                settings.ticked.insert(word);
            at = end + 1;
        }
    }
    for (const AlarmKind kind : kAllAlarmKinds) {
        if (const auto on = profile.Read(kSection, AlarmKey(kind)); on && (*on == "0" || *on == "1"))
            settings.alarms[static_cast<std::size_t>(kind)] = *on == "1";
    }
    if (const auto days = profile.Read(kSection, "KeepDays")) {
        int value = 0;
        const auto [end, error] = std::from_chars(days->data(), days->data() + days->size(), value);
        if (error == std::errc() && end == days->data() + days->size() && value >= 1 && value <= kMaxKeepDays)
            settings.keepDays = value;
    }
    return settings;
}

bool RackSettings::Save(ProfileStore& profile) const {
    std::string ticks;
    for (const std::string& address : ticked)
        ticks += (ticks.empty() ? "" : " ") + address;
    bool saved = profile.Write(kSection, "Watch", watchAll ? "all" : "ticked");
    saved = profile.Write(kSection, "Ticked", ticks) && saved;
    for (const AlarmKind kind : kAllAlarmKinds)
        saved = profile.Write(kSection, AlarmKey(kind), Alarm(kind) ? "1" : "0") && saved;
    return profile.Write(kSection, "KeepDays", std::to_string(keepDays)) && saved;
}

}  // namespace velmar
