#include "settings/core/ApplySettings.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "device/FieldBindings.h"
#include "settings/core/CardRequests.h"

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
};

constexpr SetWord Word(CommandCode word, std::int32_t key = 0) {
    return {word, key, key};
}

// The frame takes its settings in this order.
constexpr std::array kGroups{
    ApplyGroup{Gate::Always, Effect::Settings, {Word(C::salivetime)}},
    ApplyGroup{Gate::Always, Effect::Settings, {Word(C::ssystemdelay)}},
    ApplyGroup{Gate::Always, Effect::Settings, {Word(C::sgenrate)}},
    ApplyGroup{Gate::Always, Effect::Settings, {Word(C::srateadptsrc)}},
    ApplyGroup{Gate::Always, Effect::Settings, {Word(C::swclkout)}},
    ApplyGroup{Gate::Always, Effect::Settings, {Word(C::sdevid)}},
    ApplyGroup{Gate::Always, Effect::Network, {Word(C::sip)}},
    ApplyGroup{Gate::Always, Effect::Settings, {Word(C::saeschstat)}},
    ApplyGroup{Gate::Always,
               Effect::Settings,
               {Word(C::smadiinmode, 1), Word(C::smadioutmode, 1), Word(C::smadidsdmode, 1)}},
    ApplyGroup{Gate::Always, Effect::Settings, {Word(C::sphdmode)}},
    ApplyGroup{Gate::OptionalModule, Effect::Settings, {Word(C::soptred)}},
    ApplyGroup{Gate::OptionalModule, Effect::Settings, {Word(C::soptmode, 1)}},
    ApplyGroup{Gate::SecondSfp, Effect::Settings, {Word(C::soptmode, 2)}},
    ApplyGroup{Gate::OptionalModule,
               Effect::Settings,
               {Word(C::smadiinmode, 2), Word(C::smadioutmode, 2), Word(C::smadidsdmode, 2)}},
    ApplyGroup{Gate::OptionalModule, Effect::Settings, {Word(C::shlinkinmode, 1), Word(C::shlinkoutmode, 1)}},
    ApplyGroup{Gate::SecondSfp,
               Effect::Settings,
               {Word(C::smadiinmode, 3), Word(C::smadioutmode, 3), Word(C::smadidsdmode, 3)}},
    ApplyGroup{Gate::SecondSfp, Effect::Settings, {Word(C::shlinkinmode, 2), Word(C::shlinkoutmode, 2)}},
    ApplyGroup{Gate::Dante, Effect::Settings, {Word(C::sbkname)}},
    ApplyGroup{Gate::Dante, Effect::DanteNetwork, {Word(C::sbkip)}},
    ApplyGroup{Gate::Dante, Effect::Settings, {Word(C::ssrenaip)}},
    ApplyGroup{Gate::Dante, Effect::DanteNetwork, {Word(C::sbksecip)}},
    ApplyGroup{Gate::Dante, Effect::DanteNetwork, {Word(C::sswmodeip)}},
    // One priority changed sends all seventeen: the frame takes them as one table.
    ApplyGroup{Gate::Always, Effect::Settings, {SetWord{C::ssyncprio, 2, 18}}},
    ApplyGroup{Gate::Always, Effect::Settings, {Word(C::ssyncterm)}},
};

template <typename Visit>
void ForEachField(const ApplyGroup& group, Visit visit) {
    for (const SetWord& word : group.words) {
        if (word.word == C::error)
            continue;
        for (const FieldBinding& field : FieldBindings()) {
            if (!field.HasSetWord() || field.set != word.word)
                continue;
            for (std::int32_t key = word.firstKey; key <= word.lastKey; ++key) {
                const std::size_t index = field.Keyed() ? static_cast<std::size_t>(key - field.firstKey) : 0;
                visit(field, index);
            }
        }
    }
}

// The field as it would travel, so that every field type compares and copies the same way.
CommandMessage Carried(const FieldBinding& field, const DeviceState& state, std::size_t index) {
    CommandMessage message;
    field.save(state, index, message, field.pos);
    return message;
}

bool SameValue(const CommandMessage& a, const CommandMessage& b) {
    return std::memcmp(a.Bytes(), b.Bytes(), kMessageSize) == 0;
}

bool Open(Gate gate, const SettingsPresence& presence, const ConfigBlock& merged) {
    switch (gate) {
        case Gate::Always:
            return true;
        case Gate::OptionalModule:
            return presence.optionalModule;
        case Gate::SecondSfp:
            return presence.optionalModule && merged.redundancyEnable == 0;
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

std::vector<CommandCode> ApplyWords() {
    std::vector<CommandCode> words;
    for (const ApplyGroup& group : kGroups) {
        for (const SetWord& word : group.words) {
            if (word.word != C::error && std::find(words.begin(), words.end(), word.word) == words.end())
                words.push_back(word.word);
        }
    }
    return words;
}

bool SettingsDiffer(const ConfigBlock& a, const ConfigBlock& b) {
    const auto first = std::make_unique<DeviceState>();
    first->config = a;
    const auto second = std::make_unique<DeviceState>();
    second->config = b;
    bool differ = false;
    for (const ApplyGroup& group : kGroups) {
        ForEachField(group, [&](const FieldBinding& field, std::size_t index) {
            differ = differ || !SameValue(Carried(field, *first, index), Carried(field, *second, index));
        });
    }
    return differ || PlanCardRequests(a, b).changed;
}

ApplyOutcome ApplySettings(const ConfigBlock& opened, const ConfigBlock& edited, DeviceState& live,
                           RequestWriter& requests) {
    // The bindings read and write whole DeviceStates; the two copies only need their config.
    const auto before = std::make_unique<DeviceState>();
    before->config = opened;
    const auto after = std::make_unique<DeviceState>();
    after->config = edited;
    const SettingsPresence presence = SettingsPresenceOf(live.config);

    ApplyOutcome outcome;
    for (const ApplyGroup& group : kGroups) {
        // A redundancy change earlier in the walk decides whether SFP 2 is sent, so the gate
        // looks at the state as merged so far.
        if (!Open(group.gate, presence, live.config))
            continue;
        struct Saved {
            const FieldBinding* field;
            std::size_t index;
            CommandMessage value;
        };
        std::vector<Saved> restore;
        ForEachField(group, [&](const FieldBinding& field, std::size_t index) {
            const CommandMessage wanted = Carried(field, *after, index);
            if (SameValue(Carried(field, *before, index), wanted))
                return;
            restore.push_back({&field, index, Carried(field, live, index)});
            field.load(live, index, wanted, field.pos, false);
        });
        if (restore.empty())
            continue;

        RequestProblem problem;
        for (const SetWord& word : group.words) {
            for (std::int32_t key = word.firstKey; word.word != C::error && key <= word.lastKey && !problem;
                 ++key) {
                problem = requests.SendSetting(word.word, key);
                if (!problem)
                    ++outcome.requestsSent;
            }
        }
        if (problem) {
            for (const Saved& saved : restore)
                saved.field->load(live, saved.index, saved.value, saved.field->pos, false);
            outcome.refused.push_back(*problem);
            continue;
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
    CardApplyOutcome cards = ApplyCardSettings(opened, edited, live, requests);
    outcome.settingsChanged = outcome.settingsChanged || cards.changed;
    outcome.requestsSent += cards.requestsSent;
    outcome.cardsToRead = std::move(cards.cards);
    return outcome;
}

}  // namespace velmar
