#include "features/show/core/ShowComparison.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <map>
#include <optional>

#include "device/FeatureGate.h"
#include "features/channeltools/core/ChannelTools.h"
#include "features/routing/core/ChannelNames.h"
#include "features/settings/core/CardRequests.h"
#include "features/settings/core/SettingsFile.h"
#include "protocol/TextEncoding.h"

namespace velmar {

namespace {

std::string LabelName(std::int32_t direction, std::int32_t channel) {
    return std::string("label ") + (direction == 0 ? "in " : "out ") + std::to_string(channel);
}

std::string Quoted(std::string_view bytes) {
    return "'" + DecodeFrameText(bytes) + "'";
}

std::string ItemName(std::string_view what, std::int32_t direction, std::int32_t channel) {
    return std::string(what) + (direction == 0 ? " in " : " out ") + std::to_string(channel);
}

std::string GainItemText(const GainEntry& gain) {
    return GainText(gain.gain) + (gain.phase != 0 ? " phase inverted" : "") +
           (gain.mute != 0 ? " muted" : "");
}

std::string DetectorItemText(const DetectorThresholds& t, bool enabled) {
    const DetectorFieldTexts texts = FieldTexts(t);
    return texts.time1 + " ms " + texts.level1 + " dB, " + texts.time2 + " ms " + texts.level2 + " dB, " +
           (enabled ? "on" : "off");
}

// Reads the "Line N: " a settings-file refusal begins with.
std::size_t RefusedLine(std::string_view problem) {
    constexpr std::string_view kPrefix = "Line ";
    if (!problem.starts_with(kPrefix))
        return 0;
    std::size_t line = 0;
    std::from_chars(problem.data() + kPrefix.size(), problem.data() + problem.size(), line);
    return line;
}

void CompareSettings(ShowComparison& result, const ShowFrame& show, std::string_view file,
                     const DeviceState& live, bool network) {
    if (show.settings.empty())
        return;
    // The frame's own lines with the file's values over them: a key the file leaves out stays as
    // the frame has it, and the settings file's rules judge every value against this frame.
    const std::vector<ShowSetting> current = ShowFile::SettingsOf(live.config);
    std::map<std::string, const ShowSetting*, std::less<>> given;
    for (const ShowSetting& setting : show.settings)
        given.emplace(setting.key, &setting);
    std::string text;
    std::vector<std::size_t> fileLines;
    for (const ShowSetting& setting : current) {
        const auto found = given.find(setting.key);
        if (found == given.end())
            result.kept.push_back(setting.key + " is not in the show: kept as " + setting.value);
        text.append(setting.key)
            .append("=")
            .append(found != given.end() ? found->second->value : setting.value);
        text.append("\r\n");
        fileLines.push_back(found != given.end() ? found->second->line : 0);
    }
    auto edited = std::make_unique<ConfigBlock>(live.config);
    if (const auto problem = ReadSettingsText(text, *edited)) {
        const std::size_t line = RefusedLine(*problem);
        const std::size_t at = line >= 1 && line <= fileLines.size() ? fileLines[line - 1] : 0;
        const std::size_t cut = problem->find(": ");
        result.problem = std::string(file) + ":" + std::to_string(at) + ": " +
                         (line != 0 && cut != std::string::npos ? problem->substr(cut + 2) : *problem);
        return;
    }
    if (!network) {
        for (const std::string_view key : KeepNetworkIdentity(*edited, live.config)) {
            result.kept.push_back(std::string(key) + " kept as the frame's own (--network sends the show's " +
                                  given.find(key)->second->value + ")");
        }
    }
    const std::vector<ShowSetting> target = ShowFile::SettingsOf(*edited);
    for (std::size_t i = 0; i < current.size() && i < target.size(); ++i) {
        if (current[i].value != target[i].value)
            result.settings.push_back(current[i].key + ": " + current[i].value + " to " + target[i].value);
    }
    if (!result.settings.empty())
        result.edited = std::move(edited);
}

void CompareRoutes(ShowComparison& result, const ShowFrame& show, const CrosspointTable& routes,
                   std::int32_t channels) {
    std::vector<bool> named(static_cast<std::size_t>(channels) + 1, false);
    for (const ShowRoute& route : show.routes) {
        if (route.output > channels || route.input > channels) {
            result.absent.push_back(ChannelText(route.output) + " from " + ChannelText(route.input) +
                                    ": the frame has " + std::to_string(channels) + " channels");
            continue;
        }
        named[static_cast<std::size_t>(route.output)] = true;
        const std::int32_t now = routes[static_cast<std::size_t>(route.output - 1)];
        if (now == route.input)
            continue;
        result.routes.push_back(ChannelText(route.output) + ": from " + SourceText(now) + " to " +
                                SourceText(route.input));
        result.crosspoints.push_back({route.output, route.input});
    }
    for (std::int32_t output = 1; output <= channels; ++output) {
        const std::int32_t now = routes[static_cast<std::size_t>(output - 1)];
        if (now > 0 && !named[static_cast<std::size_t>(output)])
            result.kept.push_back(ChannelText(output) + " from " + SourceText(now) +
                                  " is not in the show: kept");
    }
}

void CompareLabels(ShowComparison& result, const ShowFrame& show, const DeviceState& live,
                   std::int32_t channels, std::int32_t firstLabel) {
    std::vector<bool> named(2 * (static_cast<std::size_t>(channels) + 1), false);
    for (const ShowLabel& label : show.labels) {
        if (label.channel > channels || label.channel < firstLabel) {
            result.absent.push_back(LabelName(label.direction, label.channel) + " " + Quoted(label.bytes) +
                                    ": the frame labels channels " + std::to_string(firstLabel) + " to " +
                                    std::to_string(channels));
            continue;
        }
        named[static_cast<std::size_t>(label.direction * (channels + 1) + label.channel)] = true;
        const auto& labels = label.direction == 0 ? live.config.inputLabels : live.config.outputLabels;
        const std::string_view now = labels[static_cast<std::size_t>(label.channel - 1)].View();
        if (now == label.bytes)
            continue;
        result.labels.push_back(LabelName(label.direction, label.channel) + ": " + Quoted(now) + " to " +
                                Quoted(label.bytes));
        result.labelChanges.push_back(label);
    }
    for (std::int32_t direction = 0; direction < 2; ++direction) {
        const auto& labels = direction == 0 ? live.config.inputLabels : live.config.outputLabels;
        for (std::int32_t channel = firstLabel; channel <= channels; ++channel) {
            const std::string_view now = labels[static_cast<std::size_t>(channel - 1)].View();
            if (!now.empty() && !named[static_cast<std::size_t>(direction * (channels + 1) + channel)])
                result.kept.push_back(LabelName(direction, channel) + " " + Quoted(now) +
                                      " is not in the show: kept");
        }
    }
}

// Whether `channel` is one the frame's channel lists show; else it is named as absent.
bool Listed(ShowComparison& result, std::string_view item, std::int32_t channel, std::int32_t channels,
            std::int32_t first) {
    if (channel >= first && channel <= channels)
        return true;
    result.absent.push_back(std::string(item) + ": the frame lists channels " + std::to_string(first) +
                            " to " + std::to_string(channels));
    return false;
}

void CompareGains(ShowComparison& result, const ShowFrame& show, const GainTables& live,
                  std::int32_t channels, std::int32_t first) {
    // What each channel should hold: the file's value, else the frame's own (kept).
    DirectionTables<GainEntry> target = live;
    std::vector<bool> named(2 * kChannelTableSize, false);
    for (const ShowGain& g : show.gains) {
        if (!Listed(result, ItemName("gain", g.direction, g.channel), g.channel, channels, first))
            continue;
        const auto d = static_cast<std::size_t>(g.direction);
        const auto c = static_cast<std::size_t>(g.channel - 1);
        target[d][c] = g.gain;
        named[d * kChannelTableSize + c] = true;
    }
    for (std::int32_t channel = first; channel <= channels; ++channel) {
        const auto c = static_cast<std::size_t>(channel - 1);
        bool clear = false;
        for (std::size_t d = 0; d < 2; ++d) {
            const auto direction = static_cast<std::int32_t>(d);
            const std::string name = ItemName("gain", direction, channel);
            if (!named[d * kChannelTableSize + c]) {
                if (!(live[d][c] == GainEntry{}))
                    result.kept.push_back(name + " " + GainItemText(live[d][c]) +
                                          " is not in the show: kept");
                continue;
            }
            if (live[d][c] == target[d][c])
                continue;
            result.gains.push_back(name + ": " + GainItemText(live[d][c]) + " to " +
                                   GainItemText(target[d][c]));
            if (target[d][c] == GainEntry{})
                clear = true;
            else
                result.unsent.push_back(name + ": the console only clears gains; set " +
                                        GainItemText(target[d][c]) + " at the frame");
        }
        if (!clear)
            continue;
        // Clearing takes the input and the output together: only when both are to be clear.
        if (target[0][c] == GainEntry{} && target[1][c] == GainEntry{})
            result.gainClears.push_back(channel);
        else
            result.unsent.push_back("gain " + std::to_string(channel) +
                                    ": clearing one direction would clear the other, which the show keeps");
    }
}

void CompareDetectors(ShowComparison& result, const ShowFrame& show, const LevelDetectorTables& live,
                      std::int32_t channels, std::int32_t first) {
    std::vector<std::array<std::optional<DetectorTarget>, 2>> targets(kChannelTableSize);
    for (const ShowDetector& item : show.detectors) {
        if (!Listed(result, ItemName("detector", item.direction, item.channel), item.channel, channels,
                    first))
            continue;
        targets[static_cast<std::size_t>(item.channel - 1)][static_cast<std::size_t>(item.direction)] =
            DetectorTarget{item.thresholds, item.enabled};
    }
    for (std::int32_t channel = first; channel <= channels; ++channel) {
        const auto c = static_cast<std::size_t>(channel - 1);
        for (std::size_t d = 0; d < 2; ++d) {
            const LevelDetector& now = live[d][c];
            const std::string name = ItemName("detector", static_cast<std::int32_t>(d), channel);
            const std::string text = DetectorItemText(now.thresholds, now.state != 0);
            if (!targets[c][d]) {
                if (!(now.thresholds == DetectorThresholds{}) || now.state != 0)
                    result.kept.push_back(name + " " + text + " is not in the show: kept");
                continue;
            }
            const std::string wanted = DetectorItemText(targets[c][d]->thresholds, targets[c][d]->enabled);
            if (wanted != text)
                result.detectors.push_back(name + ": " + text + " to " + wanted);
        }
        if (targets[c][0] || targets[c][1])
            PlanDetectorChannel(live, channel, targets[c][0], targets[c][1], result.detectorRequests);
    }
}

std::string PpmText(const PpmStream& s) {
    return DecodeFrameText(s.address) + ":" + std::to_string(s.port) + ", " + std::to_string(s.channels) +
           " channels, " + std::to_string(s.rate) + " ms, phase " + std::to_string(s.phase) + ", " +
           (s.enabled ? "on" : "off") + ", channels " + s.AssignmentText();
}

bool SameSettings(const PpmStream& a, const PpmStream& b) {
    return a.address == b.address && a.port == b.port && a.channels == b.channels && a.rate == b.rate &&
           a.phase == b.phase;
}

void ComparePpm(ShowComparison& result, const ShowFrame& show, const PpmStreamTable& live) {
    using Kind = PpmRequest::Kind;
    std::size_t held = live.Streams().size();
    for (const ShowPpmStream& item : show.ppm) {
        const PpmStream& wanted = item.stream;
        const PpmStream* now = live.Find(wanted.id);
        const std::string name = "ppm stream " + std::to_string(wanted.id);
        if (item.removed) {
            if (now != nullptr) {
                result.ppm.push_back(name + ": " + PpmText(*now) + " to none");
                result.ppmRequests.push_back({Kind::Delete, wanted.id});
                --held;
            }
            continue;
        }
        if (now != nullptr && PpmText(*now) == PpmText(wanted))
            continue;
        result.ppm.push_back(name + ": " + (now != nullptr ? PpmText(*now) : std::string("none")) + " to " +
                             PpmText(wanted));
        const bool create = now == nullptr || !SameSettings(*now, wanted);
        if (now == nullptr && held >= kMaxPpmStreams) {
            result.unsent.push_back(name + ": the frame holds " + std::to_string(kMaxPpmStreams) +
                                    " streams already");
            continue;
        }
        if (now == nullptr)
            ++held;
        else if (create)
            result.ppmRequests.push_back({Kind::Delete, wanted.id});
        if (create)
            result.ppmRequests.push_back({Kind::Create, wanted.id, &wanted});
        if (create || now->enabled != wanted.enabled)
            result.ppmRequests.push_back({Kind::Enable, wanted.id, nullptr, wanted.enabled});
        for (std::int32_t c = 1; c <= wanted.channels; ++c) {
            const auto at = static_cast<std::size_t>(c - 1);
            const std::int32_t target = wanted.assigned[at];
            // A stream made new has nothing assigned yet.
            const std::int32_t was = create ? 0 : now->assigned[at];
            if (target != was)
                result.ppmRequests.push_back({Kind::Assign, wanted.id, nullptr, false, c, target});
        }
    }
    for (const PpmStream& stream : live.Streams()) {
        const bool named = std::any_of(show.ppm.begin(), show.ppm.end(), [&](const ShowPpmStream& item) {
            return item.stream.id == stream.id;
        });
        if (!named)
            result.kept.push_back("ppm stream " + std::to_string(stream.id) + " " + PpmText(stream) +
                                  " is not in the show: kept");
    }
}

std::string FlowText(const FlowEntry& e, bool transmit) {
    return std::to_string(e.slotCount) + " slots" +
           (transmit
                ? ", destination " + DecodeFrameText(e.address) + ":" + std::to_string(e.port)
                : ", port " + std::to_string(e.port) + ", latency " + std::to_string(e.latency) + " us") +
           ", channels " + e.ChannelsText();
}

std::string RouteText(const IpRoute& r) {
    return DecodeFrameText(r.destination) + " from " + DecodeFrameText(r.source) + " " +
           DecodeFrameText(r.sourceChannel);
}

bool SameFlow(const FlowEntry& a, const FlowEntry& b, bool transmit) {
    return a.slotCount == b.slotCount && a.port == b.port &&
           (transmit ? a.address == b.address : a.latency == b.latency);
}

FlowReported Removal(bool transmit, std::int32_t flow) {
    return {transmit, flow, 0, {}, 0, 0};
}

void CompareFlows(ShowComparison& result, const ShowFrame& show, const LiveFrame& live) {
    using Kind = FlowRequest::Kind;
    const FlowTables& now = *live.flows;
    FlowTables after = now;  // the frame as the requests planned so far leave it
    for (const ShowFlow& flow : show.flows) {
        const FlowEntry* was = now.Find(flow.transmit, flow.flow);
        const std::string name = (flow.transmit ? "tx flow " : "rx flow ") + std::to_string(flow.flow);
        if (flow.removed) {
            if (was != nullptr) {
                result.flows.push_back(name + ": " + FlowText(*was, flow.transmit) + " to none");
                result.flowRequests.push_back({Kind::Delete, flow.transmit, flow.flow, *was});
                after.Apply(Removal(flow.transmit, flow.flow));
            }
            continue;
        }
        if (was != nullptr && FlowText(*was, flow.transmit) == FlowText(flow.entry, flow.transmit))
            continue;
        result.flows.push_back(name + ": " + (was != nullptr ? FlowText(*was, flow.transmit) : "none") +
                               " to " + FlowText(flow.entry, flow.transmit));
        const bool create = was == nullptr || !SameFlow(*was, flow.entry, flow.transmit);
        if (create) {
            // The flow rules judge it against the flows there will be, without its own old self.
            FlowTables judged = after;
            judged.Apply(Removal(flow.transmit, flow.flow));
            const FlowEntry& e = flow.entry;
            const std::optional<FlowProblem> problem =
                flow.transmit
                    ? CheckTxFlow(judged, {flow.flow, e.slotCount, e.address, e.port}, live.ownAddresses)
                    : CheckRxFlow(judged, {flow.flow, e.slotCount, e.port, e.latency}, live.maxLatency);
            if (problem) {
                result.unsent.push_back(name + ": " + problem->text);
                continue;
            }
            if (was != nullptr)
                result.flowRequests.push_back({Kind::Delete, flow.transmit, flow.flow, *was});
            result.flowRequests.push_back({Kind::Create, flow.transmit, flow.flow, e});
            after = judged;
            after.Apply({flow.transmit, flow.flow, e.slotCount, e.address, e.port, e.latency});
        }
        for (std::int32_t slot = 0; slot < flow.entry.slotCount; ++slot) {
            const std::int32_t channel = flow.entry.channels[static_cast<std::size_t>(slot)];
            const std::int32_t before = create ? 0 : was->channels[static_cast<std::size_t>(slot)];
            if (channel != before)
                result.flowRequests.push_back({Kind::Slot, flow.transmit, flow.flow, {}, slot, channel});
        }
    }
    for (const bool transmit : {true, false}) {
        for (const std::int32_t id : now.Ids(transmit)) {
            const bool named = std::any_of(show.flows.begin(), show.flows.end(), [&](const ShowFlow& f) {
                return f.transmit == transmit && f.flow == id;
            });
            if (!named)
                result.kept.push_back((transmit ? "tx flow " : "rx flow ") + std::to_string(id) + " " +
                                      FlowText(*now.Find(transmit, id), transmit) +
                                      " is not in the show: kept");
        }
    }
    if (live.autoRoutes == nullptr)
        return;
    const std::string off = AutoRoutingOffRefusal(live.state);
    for (const ShowAutoRoute& route : show.autoRoutes) {
        const IpRoute* was = live.autoRoutes->Find(route.channel);
        const std::string name = "auto route " + std::to_string(route.channel);
        if (route.removed ? was == nullptr : was != nullptr && RouteText(*was) == RouteText(route.route))
            continue;
        result.flows.push_back(name + ": " + (was != nullptr ? RouteText(*was) : "none") + " to " +
                               (route.removed ? "none" : RouteText(route.route)));
        if (!off.empty()) {
            result.unsent.push_back(name + ": " + off);
            continue;
        }
        IpRoute sent = route.removed ? *was : route.route;
        if (route.removed)
            sent.sourceChannel.clear();
        result.flowRequests.push_back({Kind::AutoRoute, false, route.channel, {}, 0, 0, sent});
    }
    for (std::int32_t channel = 1; channel <= kIpRouteChannels; ++channel) {
        const IpRoute* was = live.autoRoutes->Find(channel);
        const bool named = std::any_of(show.autoRoutes.begin(), show.autoRoutes.end(),
                                       [&](const ShowAutoRoute& r) { return r.channel == channel; });
        if (was != nullptr && !named)
            result.kept.push_back("auto route " + std::to_string(channel) + " " + RouteText(*was) +
                                  " is not in the show: kept");
    }
}

void CompareCards(ShowComparison& result, const ShowFrame& show, std::string_view file,
                  const ConfigBlock& config) {
    auto edited = std::make_unique<ConfigBlock>(config);
    std::vector<bool> named(kCardSlots + 1, false);
    for (const ShowCard& card : show.cards) {
        named[static_cast<std::size_t>(card.slot)] = true;
        const std::string name = "card " + std::to_string(card.slot);
        const CardType fitted = EditableCardKind(config, card.slot);
        if (fitted != card.kind) {
            result.absent.push_back(name + " " + std::string(CardDescription(card.kind)) +
                                    ": the frame has " +
                                    (fitted == CardType::None ? std::string("no card it can set there")
                                                              : "a " + std::string(CardDescription(fitted))));
            continue;
        }
        const CardRecord& now = config.cards[static_cast<std::size_t>(card.slot - 1)];
        CardRecord& target = edited->cards[static_cast<std::size_t>(card.slot - 1)];
        // The page's own rules, row by row in its order: a new interface type opens its rows.
        for (const ShowCardRow& row : card.rows) {
            // The DSD filter is one setting of the card: its first channel's row sends it.
            const bool cardWide = row.row.param == CardParam::DsdFilter && row.row.index > 1;
            if (cardWide || !RowEditable(row.row, target)) {
                if (RowValueText(row.row, target) != row.value)
                    result.unsent.push_back(name + " " + RowName(row.row) + ": cannot be set to " +
                                            row.value +
                                            (cardWide ? "; the card has one DSD filter, set on 1:DSD filter"
                                                      : " on this card as it stands"));
                continue;
            }
            if (!StoreRowText(row.row, row.value, target)) {
                std::string allowed;
                for (const CardChoice& choice : RowChoices(row.row, target))
                    allowed.append(allowed.empty() ? "" : ", ").append(choice.text);
                result.problem = std::string(file) + ":" + std::to_string(row.line) + ": '" + row.value +
                                 "' is not a value of " + RowName(row.row) + " (" + allowed + ").";
                return;
            }
        }
        for (const CardRow& row : CardRows(card.kind)) {
            const std::string before = RowValueText(row, now);
            const std::string after = RowValueText(row, target);
            if (before != after)
                result.cards.push_back(name + " " + RowName(row) + ": " + before + " to " + after);
        }
    }
    for (std::int32_t slot = 1; slot <= static_cast<std::int32_t>(kCardSlots); ++slot) {
        const CardType fitted = EditableCardKind(config, slot);
        if (fitted != CardType::None && !named[static_cast<std::size_t>(slot)])
            result.kept.push_back("card " + std::to_string(slot) + " " +
                                  std::string(CardDescription(fitted)) + " is not in the show: kept");
    }
    if (!PlanCardRequests(config, *edited).requests.empty())
        result.cardsEdited = std::move(edited);
}

// A section the frame does not offer is refused for it, at the section's line.
std::string Unoffered(std::string_view file, const ShowFrame& show, const ShowSection& section,
                      std::string_view what) {
    return std::string(file) + ":" + std::to_string(section.line) + ": frame " + show.serial + " has no " +
           std::string(what) + ".";
}

}  // namespace

ShowComparison ShowComparison::Of(const ShowFrame& show, std::string_view file, const LiveFrame& live,
                                  bool network) {
    ShowComparison result;
    if (show.cardSection.present && !live.cardSlots)
        result.problem = Unoffered(file, show, show.cardSection, "card slots");
    else if (show.gainSection.present && live.gains == nullptr)
        result.problem = Unoffered(file, show, show.gainSection, "gain settings");
    else if (show.detectorSection.present && live.detectors == nullptr)
        result.problem = Unoffered(file, show, show.detectorSection, "level detectors");
    else if (show.ppmSection.present && live.ppm == nullptr)
        result.problem = Unoffered(file, show, show.ppmSection, "PPM streams");
    else if (show.flowSection.present && live.flows == nullptr)
        result.problem = Unoffered(file, show, show.flowSection, "IP flows");
    else if (!show.autoRoutes.empty() && live.autoRoutes == nullptr)
        result.problem = std::string(file) + ":" + std::to_string(show.autoRoutes.front().line) + ": frame " +
                         show.serial + " has no automatic IP routing.";
    if (!result.problem.empty())
        return result;
    CompareSettings(result, show, file, live.state, network);
    if (!result.problem.empty())
        return result;
    if (live.cardSlots)
        CompareCards(result, show, file, live.state.config);
    if (!result.problem.empty())
        return result;
    const std::int32_t first = std::max(live.firstLabel, 1);
    CompareRoutes(result, show, live.routes, live.channels);
    CompareLabels(result, show, live.state, live.channels, first);
    if (live.gains != nullptr)
        CompareGains(result, show, *live.gains, live.channels, first);
    if (live.detectors != nullptr)
        CompareDetectors(result, show, *live.detectors, live.channels, first);
    if (live.ppm != nullptr)
        ComparePpm(result, show, *live.ppm);
    if (live.flows != nullptr)
        CompareFlows(result, show, live);
    return result;
}

}  // namespace velmar
