#include "features/watch/core/AlarmBook.h"

#include <algorithm>

namespace velmar {

namespace {

// "psu2" -> "PSU 2", "fan1" -> "Fan 1".
std::string UnitText(std::string_view what) {
    const std::string_view number = what.substr(3);
    return (what.starts_with("psu") ? "PSU " : "Fan ") + std::string(number);
}

}  // namespace

AlarmBook::AlarmBook(EventHub& rack) : rack_(rack) {
    hearing_ = rack_.Subscribe<HealthChanged>([this](const HealthChanged& change) { OnChange(change); });
}

void AlarmBook::OnChange(const HealthChanged& change) {
    const std::string_view what = change.what;
    const std::string_view to = change.to;
    if (what == "link") {
        if ((to == "lost" || to == "unreachable") && change.from == "up")
            Raise(change, AlarmKind::Link, "Link lost", true);
        else if (to == "up")
            Clear(change);
    } else if (what.starts_with("psu") || what.starts_with("fan")) {
        if (to == "fault")
            Raise(change, what.starts_with("psu") ? AlarmKind::Power : AlarmKind::Fan,
                  UnitText(what) + " fault", true);
        else
            Clear(change);
    } else if (what == "sync") {
        if (to == "unlocked")
            Raise(change, AlarmKind::Sync, "Sync lost", true);
        else
            Clear(change);
    } else if (what == "sync-source" && !change.from.empty()) {
        Raise(change, AlarmKind::Sync, "Sync source " + change.from + " -> " + change.to, false);
    } else if (what == "sample-rate" && !change.from.empty()) {
        Raise(change, AlarmKind::SampleRate, "Sample rate " + change.from + " -> " + change.to, false);
    } else if (what == "detectors") {
        if (to != "none")
            Raise(change, AlarmKind::LevelDetector, "Level detector tripped (" + change.to + ")", true);
        else
            Clear(change);
    }
}

void AlarmBook::Raise(const HealthChanged& change, AlarmKind kind, std::string text, bool condition) {
    if (!Enabled(kind))
        return;
    // One open alarm per frame and item: a rate that keeps moving, or a supply that flaps while
    // nobody looks, is counted on the alarm the operator has not seen yet rather than piling up
    // alarms without bound.
    const auto open = std::find_if(alarms_.begin(), alarms_.end(), [&](const Alarm& alarm) {
        return !alarm.acknowledged && alarm.frame == change.frame && alarm.what == change.what;
    });
    if (open != alarms_.end()) {
        if (condition && open->active) {
            // Still the same condition (two detectors now instead of one): said once.
            open->text = std::move(text);
            return;
        }
        open->text = std::move(text);
        open->active = condition;
        open->cleared.reset();
        ++open->times;
        rack_.Publish(AlarmRaised{*open});
        return;
    }
    if (condition) {
        // Seen already and still present: not raised again until it has cleared.
        const bool seen = std::any_of(alarms_.begin(), alarms_.end(), [&](const Alarm& alarm) {
            return alarm.active && alarm.frame == change.frame && alarm.what == change.what;
        });
        if (seen)
            return;
    }
    Alarm alarm{nextId_++,   change.frame, kind,  change.what, std::move(text),
                change.time, condition,    false, {}};
    alarms_.push_back(alarm);
    rack_.Publish(AlarmRaised{std::move(alarm)});
}

void AlarmBook::Clear(const HealthChanged& change) {
    const auto present = std::find_if(alarms_.begin(), alarms_.end(), [&](const Alarm& alarm) {
        return alarm.active && alarm.frame == change.frame && alarm.what == change.what;
    });
    if (present == alarms_.end())
        return;
    present->active = false;
    present->cleared = change.time;
    Alarm cleared = *present;
    if (present->acknowledged)
        alarms_.erase(present);
    rack_.Publish(AlarmCleared{std::move(cleared)});
}

void AlarmBook::Acknowledge(std::uint64_t id) {
    const auto found =
        std::find_if(alarms_.begin(), alarms_.end(), [&](const Alarm& alarm) { return alarm.id == id; });
    if (found == alarms_.end() || found->acknowledged)
        return;
    found->acknowledged = true;
    Alarm acknowledged = *found;
    if (!found->active)
        alarms_.erase(found);
    rack_.Publish(AlarmAcknowledged{std::move(acknowledged)});
}

void AlarmBook::AcknowledgeFrame(std::string_view frame) {
    for (const Alarm& alarm : Open(frame))
        Acknowledge(alarm.id);
}

void AlarmBook::Forget(std::string_view frame) {
    std::erase_if(alarms_, [&](const Alarm& alarm) { return alarm.frame == frame; });
}

std::vector<Alarm> AlarmBook::Open(std::string_view frame) const {
    std::vector<Alarm> open;
    for (const Alarm& alarm : alarms_) {
        if (!alarm.acknowledged && alarm.frame == frame)
            open.push_back(alarm);
    }
    return open;
}

std::size_t AlarmBook::OpenCount(std::string_view frame) const {
    return static_cast<std::size_t>(std::count_if(alarms_.begin(), alarms_.end(), [&](const Alarm& alarm) {
        return !alarm.acknowledged && alarm.frame == frame;
    }));
}

}  // namespace velmar
