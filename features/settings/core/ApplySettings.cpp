#include "features/settings/core/ApplySettings.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "device/FieldBindings.h"
#include "features/settings/core/CardRequests.h"

namespace velmar {

namespace {

using C = CommandCode;

// One set word, for a run of keys (0: not keyed).
struct SetWord {
    CommandCode word = C::error;
    std::int32_t firstKey = 0;
    std::int32_t lastKey = 0;
};

enum class Gate : std::uint8_t {
    Always,
    OptionalModule,
    SecondSfp,  // the module is fitted and redundancy is off in the new state
    Dante,
};

enum class Effect : std::uint8_t { Settings, Network, DanteNetwork };

// A group is compared as a whole and, when anything in it changed, all of its words are sent.
struct ApplyGroup {
    Gate gate;
    Effect effect;
    std::array<SetWord, 3> words;
    // How the question before sending names the group.
    std::string_view name;
};

constexpr SetWord Word(CommandCode word, std::int32_t key = 0) {
    return {word, key, key};
}

// The frame takes its settings in this order.
constexpr std::array kGroups{
    ApplyGroup{Gate::Always, Effect::Settings, {Word(C::salivetime)}, "Alive time"},
    ApplyGroup{Gate::Always, Effect::Settings, {Word(C::ssystemdelay)}, "System delay"},
    ApplyGroup{Gate::Always, Effect::Settings, {Word(C::sgenrate)}, "Sample rate"},
    ApplyGroup{Gate::Always, Effect::Settings, {Word(C::srateadptsrc)}, "Sample rate adaption source"},
    ApplyGroup{Gate::Always, Effect::Settings, {Word(C::swclkout)}, "Word clock output"},
    ApplyGroup{Gate::Always, Effect::Settings, {Word(C::sdevid)}, "Device ID and name"},
    ApplyGroup{Gate::Always, Effect::Network, {Word(C::sip)}, "Network address"},
    ApplyGroup{Gate::Always, Effect::Settings, {Word(C::saeschstat)}, "AES channel status"},
    ApplyGroup{Gate::Always,
               Effect::Settings,
               {Word(C::smadiinmode, 1), Word(C::smadioutmode, 1), Word(C::smadidsdmode, 1)},
               "MADI port"},
    ApplyGroup{Gate::Always, Effect::Settings, {Word(C::sphdmode)}, "PHD ports"},
    ApplyGroup{Gate::OptionalModule, Effect::Settings, {Word(C::soptred)}, "SFP redundancy"},
    ApplyGroup{Gate::OptionalModule, Effect::Settings, {Word(C::soptmode, 1)}, "SFP 1 interface type"},
    ApplyGroup{Gate::SecondSfp, Effect::Settings, {Word(C::soptmode, 2)}, "SFP 2 interface type"},
    ApplyGroup{Gate::OptionalModule,
               Effect::Settings,
               {Word(C::smadiinmode, 2), Word(C::smadioutmode, 2), Word(C::smadidsdmode, 2)},
               "SFP 1 MADI"},
    ApplyGroup{Gate::OptionalModule,
               Effect::Settings,
               {Word(C::shlinkinmode, 1), Word(C::shlinkoutmode, 1)},
               "SFP 1 Hotlink"},
    ApplyGroup{Gate::SecondSfp,
               Effect::Settings,
               {Word(C::smadiinmode, 3), Word(C::smadioutmode, 3), Word(C::smadidsdmode, 3)},
               "SFP 2 MADI"},
    ApplyGroup{Gate::SecondSfp,
               Effect::Settings,
               {Word(C::shlinkinmode, 2), Word(C::shlinkoutmode, 2)},
               "SFP 2 Hotlink"},
    ApplyGroup{Gate::Dante, Effect::Settings, {Word(C::sbkname)}, "Dante device name"},
    ApplyGroup{Gate::Dante, Effect::DanteNetwork, {Word(C::sbkip)}, "Dante primary interface"},
    ApplyGroup{Gate::Dante, Effect::Settings, {Word(C::ssrenaip)}, "Dante sample rate control"},
    ApplyGroup{Gate::Dante, Effect::DanteNetwork, {Word(C::sbksecip)}, "Dante secondary interface"},
    ApplyGroup{Gate::Dante, Effect::DanteNetwork, {Word(C::sswmodeip)}, "Dante redundancy"},
    // One priority changed sends all seventeen: the frame takes them as one table.
    ApplyGroup{Gate::Always, Effect::Settings, {SetWord{C::ssyncprio, 2, 18}}, "Synchronization priorities"},
    ApplyGroup{Gate::Always, Effect::Settings, {Word(C::ssyncterm)}, "Sync input termination"},
};

// The line a word would carry for `config`. SFP redundancy switched off carries mode 0: the
// frame takes the pair as one setting, and an old mode beside "off" is not the operator's.
CommandMessage Line(const ConfigBlock& config, const SetWord& word, std::int32_t key) {
    CommandMessage line;
    FillSetRequest(config, word.word, key, line);
    if (word.word == C::soptred && line.Int(14) == 0)
        line.SetInt(18, 0);
    return line;
}

bool SameLine(const CommandMessage& a, const CommandMessage& b) {
    return std::memcmp(a.Bytes(), b.Bytes(), kMessageSize) == 0;
}

template <typename Visit>
void ForEachLine(const ApplyGroup& group, Visit visit) {
    for (const SetWord& word : group.words) {
        for (std::int32_t key = word.firstKey; word.word != C::error && key <= word.lastKey; ++key)
            visit(word, key);
    }
}

// A group is sent when any of its lines would differ from the snapshot's.
bool GroupChanged(const ApplyGroup& group, const ConfigBlock& before, const ConfigBlock& after) {
    bool changed = false;
    ForEachLine(group, [&](const SetWord& word, std::int32_t key) {
        changed = changed || !SameLine(Line(before, word, key), Line(after, word, key));
    });
    return changed;
}

CommandCode GetWordOf(CommandCode set) {
    for (const FieldBinding& field : FieldBindings()) {
        if (field.set == set)
            return field.get;
    }
    return C::error;
}

bool Open(Gate gate, const SettingsPresence& presence, const ConfigBlock& edited) {
    switch (gate) {
        case Gate::Always:
            return true;
        case Gate::OptionalModule:
            return presence.optionalModule;
        case Gate::SecondSfp:
            return presence.optionalModule && edited.redundancyEnable == 0;
        case Gate::Dante:
            return presence.dante;
    }
    return false;
}

}  // namespace

SettingsPresence SettingsPresenceOf(const ConfigBlock& config) {
    constexpr std::size_t kSfpPosition = 3;
    constexpr std::size_t kDantePosition = 18;
    SettingsPresence presence;
    presence.optionalModule = config.hwConf[kSfpPosition - 1].boardType != 0;
    presence.dante = config.hwConf[kDantePosition - 1].boardType != 0 && !config.danteLan.mac.Empty();
    return presence;
}

void ReadBackSettings(const ApplyOutcome& outcome, RequestWriter& requests) {
    for (const SettingRead& read : outcome.toRead) {
        if (read.key == 0)
            requests.Send(read.get);
        else
            requests.Send(read.get, {{14, read.key}});
    }
}

std::vector<PlannedGroup> PlanSettings(const ConfigBlock& opened, const ConfigBlock& edited,
                                       const SettingsPresence& presence) {
    std::vector<PlannedGroup> plan;
    for (const ApplyGroup& group : kGroups) {
        if (!Open(group.gate, presence, edited) || !GroupChanged(group, opened, edited))
            continue;
        PlannedGroup planned{std::string(group.name), 0};
        ForEachLine(group, [&](const SetWord&, std::int32_t) { ++planned.requests; });
        plan.push_back(std::move(planned));
    }
    for (const CardRequest& request : PlanCardRequests(opened, edited).requests) {
        const std::string name = "Card " + std::to_string(request.card);
        if (plan.empty() || plan.back().name != name)
            plan.push_back({name, 0});
        ++plan.back().requests;
    }
    return plan;
}

bool SettingsDiffer(const ConfigBlock& a, const ConfigBlock& b) {
    for (const ApplyGroup& group : kGroups) {
        if (GroupChanged(group, a, b))
            return true;
    }
    return PlanCardRequests(a, b).changed;
}

ApplyOutcome ApplySettings(const ConfigBlock& opened, const ConfigBlock& edited, const ConfigBlock& frame,
                           RequestWriter& requests) {
    const SettingsPresence presence = SettingsPresenceOf(frame);
    ApplyOutcome outcome;
    for (const ApplyGroup& group : kGroups) {
        if (!Open(group.gate, presence, edited) || !GroupChanged(group, opened, edited))
            continue;
        // Every line is checked before the first goes out, so a refused text leaves the whole
        // group unsent and there is nothing to undo.
        struct Pending {
            CommandCode word;
            std::int32_t key;
            CommandMessage line;
        };
        std::vector<Pending> lines;
        ForEachLine(group, [&](const SetWord& word, std::int32_t key) {
            lines.push_back({word.word, key, Line(edited, word, key)});
        });
        RequestProblem problem;
        for (const Pending& pending : lines) {
            if (!problem)
                problem = RequestWriter::TextProblem(pending.line, pending.word);
        }
        if (problem) {
            outcome.refused.push_back(*problem);
            continue;
        }
        for (Pending& pending : lines) {
            requests.SendRecord(pending.line, pending.word);
            ++outcome.requestsSent;
            const SettingRead read{GetWordOf(pending.word), pending.key};
            if (std::find(outcome.toRead.begin(), outcome.toRead.end(), read) == outcome.toRead.end())
                outcome.toRead.push_back(read);
        }
        switch (group.effect) {
            case Effect::Settings:
                outcome.settingsChanged = true;
                break;
            case Effect::Network:
                outcome.networkChanged = true;
                break;
            case Effect::DanteNetwork:
                outcome.danteNetworkChanged = true;
                break;
        }
    }
    // The cards come last, slot by slot.
    CardApplyOutcome cards = ApplyCardSettings(opened, edited, frame, requests);
    outcome.settingsChanged = outcome.settingsChanged || cards.changed;
    outcome.requestsSent += cards.requestsSent;
    outcome.cardsToRead = std::move(cards.cards);
    return outcome;
}

}  // namespace velmar
