#include "cli/CliFeatureList.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <set>

#include "cli/CliApp.h"
#include "cli/FrameConnection.h"
#include "cli/HeadlessConsole.h"
#include "device/DeviceModel.h"
#include "device/FeatureGate.h"
#include "device/Session.h"
#include "device/discovery/posix/FrameDiscovery.h"
#include "device/posix/PosixEventLoop.h"
#include "features/channeltools/core/ChannelToolsGates.h"
#include "features/channeltools/core/ChannelToolsUnit.h"
#include "features/interfaces/core/InterfacesUnit.h"
#include "features/leveldetectors/core/LevelDetectorUnit.h"
#include "features/networkaudio/core/NetworkAudioUnit.h"
#include "features/ppm/core/PpmUnit.h"
#include "features/routing/core/ChannelNames.h"
#include "features/routing/core/RoutingUnit.h"
#include "features/settings/core/AddressRules.h"
#include "features/settings/core/ApplySettings.h"
#include "features/settings/core/CardRequests.h"
#include "features/show/core/ShowComparison.h"
#include "features/show/core/ShowFile.h"
#include "features/show/core/ShowReading.h"
#include "protocol/Ipv4Address.h"
#include "protocol/TextEncoding.h"

namespace velmar {

namespace {

// In the order an apply sends them.
constexpr std::array<std::string_view, 8> kSections{"settings", "cards",     "routes", "labels",
                                                    "gains",    "detectors", "ppm",    "flows"};

// The worse of two exit codes: unanswered above refused above all answered.
int Worse(int a, int b) {
    const auto rank = [](int code) { return code == kExitNotResponding ? 3 : code == kExitUsage ? 2 : code; };
    return rank(a) >= rank(b) ? a : b;
}

using FrameStep = std::function<int(const CliFrame&, const LiveFrame&)>;

// Reads what the whole-frame reading leaves out, then runs `step` on the frame as read.
int VisitFrame(const CliOptions& options, const CliFrame& frame, const CliStreams& streams,
               const FrameStep& step) {
    ShowReading reading(frame.session);
    for (int round = 0; round < 2; ++round) {
        RequestBatch batch(frame.session.Outcomes());
        if (round == 0)
            reading.AskLists();
        else if (!reading.AskChannels())
            break;
        if (batch.Requests().empty())
            continue;
        if (const int read = AwaitOutcomes(frame.loop, frame.console, batch, options.timeout, streams.err);
            read != kExitOk)
            return read;
    }
    return step(frame, reading.Live());
}

// Connects to `address`, reads the frame whole and runs `step` on it; the exit code.
int Visit(const CliOptions& options, const CliStreams& streams, const std::string& address, FrameStep step) {
    CliOptions one = options;
    one.address = address;
    one.dryRun = false;  // a dry run sends nothing at all: the commands below never get that far
    return RunOnFrame(one, streams, IncompleteRead::Fails,
                      [&step](const CliOptions& o, const CliFrame& frame, const CliStreams& s) {
                          return VisitFrame(o, frame, s, step);
                      });
}

std::string Safe(std::string_view utf8) {
    return TerminalSafe(utf8);
}

std::string FrameName(const ShowFrame& frame, const std::string& address) {
    return frame.serial + (frame.name.empty() ? "" : " " + frame.name) + " (" + address + ")";
}

std::string LiveSerial(const Session& session) {
    return DecodeFrameText(session.State().config.devInfo.serial.View());
}

// --- show save ---

std::string ReadSave(std::span<const std::string> operands, CliOptions& options) {
    options.file = operands[0];
    options.operands.assign(operands.begin() + 1, operands.end());
    if (options.all == !options.operands.empty())
        return "show save takes frame addresses or --all, one of the two";
    for (const std::string& address : options.operands) {
        if (!ParseIpv4(address))
            return "bad address " + address;
    }
    return {};
}

// Every frame that answers the discovery and runs its application: a frame in its recovery
// firmware or mode 2 holds no configuration to save and is named, not read.
std::vector<std::string> DiscoveredFrames(std::ostream& err) {
    std::vector<std::string> addresses;
    const FrameDiscoveryResult found = DiscoverFrames();
    if (!found.error.empty())
        err << "velmar-cli: " << found.error << "\n";
    for (const DeviceRow& row : found.rows) {
        const std::string& shown = row.Column(DeviceColumn::Address);
        if (ParseIpv4(shown))
            addresses.push_back(shown);
        else
            err << "velmar-cli: " << Safe(shown) << " " << Safe(row.Column(DeviceColumn::Serial))
                << " is not in its application firmware: not saved\n";
    }
    return addresses;
}

int Save(const CliOptions& options, const CliStreams& streams) {
    ShowFile show;
    const std::vector<std::string> addresses = options.all ? DiscoveredFrames(streams.err) : options.operands;
    if (addresses.empty()) {
        streams.err << "velmar-cli: " << options.file << " not written: no frame answered the discovery\n";
        return kExitNotResponding;
    }
    for (const std::string& address : addresses) {
        const int result = Visit(options, streams, address, [&](const CliFrame&, const LiveFrame& live) {
            show.frames.push_back(ShowFile::Capture(live, address));
            return kExitOk;
        });
        if (result != kExitOk) {
            streams.err << "velmar-cli: " << options.file << " not written: " << address << " was not read\n";
            return result;
        }
    }
    std::set<std::string> serials;
    for (const ShowFrame& frame : show.frames) {
        if (!serials.insert(frame.serial).second) {
            streams.err << "velmar-cli: " << options.file
                        << " not written: two frames have the serial number " << Safe(frame.serial) << "\n";
            return kExitFailure;
        }
    }
    if (const std::string problem = show.Save(options.file); !problem.empty()) {
        streams.err << "velmar-cli: " << problem << "\n";
        return kExitFailure;
    }
    streams.err << "velmar-cli: " << show.frames.size() << " frames saved to " << options.file << "\n";
    return kExitOk;
}

// --- show diff and apply: each frame of the file against the frame with its serial number ---

struct FrameVisit {
    const ShowFrame* show = nullptr;
    std::string address;    // where the frame of that serial number answers
    int reached = kExitOk;  // how reading the frame went
    std::string lost;       // why the frame was not compared
    ShowComparison comparison;
    ShowFrame before;
};

bool Selected(const CliOptions& options, const ShowFrame& frame) {
    const auto& only = options.files;  // --frame SERIAL,...
    return only.empty() || std::find(only.begin(), only.end(), frame.serial) != only.end();
}

bool SectionChosen(const CliOptions& options, std::string_view section) {
    const auto& only = options.assignments;  // --only SECTION,...
    return only.empty() || std::find(only.begin(), only.end(), section) != only.end();
}

// Leaves out what --only does not choose, so that it is neither shown nor sent.
void KeepChosen(const CliOptions& options, ShowComparison& comparison) {
    if (!SectionChosen(options, "settings")) {
        comparison.settings.clear();
        comparison.edited.reset();
    }
    if (!SectionChosen(options, "cards")) {
        comparison.cards.clear();
        comparison.cardsEdited.reset();
        std::erase_if(comparison.unsent, [](const std::string& line) { return line.starts_with("card "); });
    }
    if (!SectionChosen(options, "routes")) {
        comparison.routes.clear();
        comparison.crosspoints.clear();
    }
    if (!SectionChosen(options, "labels")) {
        comparison.labels.clear();
        comparison.labelChanges.clear();
    }
    if (!SectionChosen(options, "gains")) {
        comparison.gains.clear();
        comparison.gainClears.clear();
        std::erase_if(comparison.unsent, [](const std::string& line) { return line.starts_with("gain "); });
    }
    if (!SectionChosen(options, "detectors")) {
        comparison.detectors.clear();
        comparison.detectorRequests.clear();
    }
    if (!SectionChosen(options, "flows")) {
        comparison.flows.clear();
        comparison.flowRequests.clear();
        std::erase_if(comparison.unsent, [](const std::string& line) {
            return line.starts_with("tx flow") || line.starts_with("rx flow") ||
                   line.starts_with("auto route");
        });
    }
    if (!SectionChosen(options, "ppm")) {
        comparison.ppm.clear();
        comparison.ppmRequests.clear();
        std::erase_if(comparison.unsent, [](const std::string& line) { return line.starts_with("ppm "); });
    }
}

// The rack as it was names what the apply will set where the frame had nothing (a disconnected
// output, an empty label), so that applying it takes those back too.
void KeepUndoable(const LiveFrame& live, FrameVisit& visit) {
    const DeviceState& state = live.state;
    const CrosspointTable& routes = live.routes;
    for (const Crosspoint& c : visit.comparison.crosspoints) {
        if (routes[static_cast<std::size_t>(c.output - 1)] == 0)
            visit.before.routes.push_back({c.output, 0, 0});
    }
    std::sort(visit.before.routes.begin(), visit.before.routes.end(),
              [](const ShowRoute& a, const ShowRoute& b) { return a.output < b.output; });
    for (const ShowLabel& label : visit.comparison.labelChanges) {
        const auto& labels = label.direction == 0 ? state.config.inputLabels : state.config.outputLabels;
        if (labels[static_cast<std::size_t>(label.channel - 1)].Empty())
            visit.before.labels.push_back({label.direction, label.channel, {}, 0});
    }
    std::sort(visit.before.labels.begin(), visit.before.labels.end(),
              [](const ShowLabel& a, const ShowLabel& b) {
                  return a.direction != b.direction ? a.direction < b.direction : a.channel < b.channel;
              });
    // A detector that was off and unset is written so, so that undoing sets it back.
    std::set<std::pair<std::int32_t, std::int32_t>> named;
    for (const ShowDetector& d : visit.before.detectors)
        named.emplace(d.direction, d.channel);
    for (const DetectorRequest& r : visit.comparison.detectorRequests) {
        if (named.emplace(r.direction, r.channel).second)
            visit.before.detectors.push_back({r.direction, r.channel, {}, false, 0});
    }
    std::sort(visit.before.detectors.begin(), visit.before.detectors.end(),
              [](const ShowDetector& a, const ShowDetector& b) {
                  return a.direction != b.direction ? a.direction < b.direction : a.channel < b.channel;
              });
    // A stream the apply creates is removed by the undo.
    for (const PpmRequest& r : visit.comparison.ppmRequests) {
        if (r.kind == PpmRequest::Kind::Create && (live.ppm == nullptr || live.ppm->Find(r.id) == nullptr)) {
            ShowPpmStream removed;
            removed.stream.id = r.id;
            removed.removed = true;
            visit.before.ppm.push_back(removed);
        }
    }
    // A flow or automatic route the apply makes is removed by the undo.
    for (const FlowRequest& r : visit.comparison.flowRequests) {
        const bool made =
            r.kind == FlowRequest::Kind::Create && live.flows->Find(r.transmit, r.flow) == nullptr;
        const bool routed =
            r.kind == FlowRequest::Kind::AutoRoute && live.autoRoutes->Find(r.flow) == nullptr;
        if (made)
            visit.before.flows.push_back({r.transmit, r.flow, {}, true, 0});
        if (routed)
            visit.before.autoRoutes.push_back({r.flow, {}, true, 0});
    }
    std::sort(visit.before.flows.begin(), visit.before.flows.end(), [](const ShowFlow& a, const ShowFlow& b) {
        return a.transmit != b.transmit ? a.transmit : a.flow < b.flow;
    });
    std::sort(visit.before.autoRoutes.begin(), visit.before.autoRoutes.end(),
              [](const ShowAutoRoute& a, const ShowAutoRoute& b) { return a.channel < b.channel; });
    std::sort(visit.before.ppm.begin(), visit.before.ppm.end(),
              [](const ShowPpmStream& a, const ShowPpmStream& b) { return a.stream.id < b.stream.id; });
}

// Where each serial number answers discovery now, in application mode: a rack may have been
// given other addresses since the show was saved.
std::map<std::string, std::string> DiscoveredAddresses() {
    std::map<std::string, std::string> found;
    for (const DeviceRow& row : DiscoverFrames().rows) {
        const std::string& address = row.Column(DeviceColumn::Address);
        if (ParseIpv4(address))
            found.emplace(row.Column(DeviceColumn::Serial), address);
    }
    return found;
}

FrameVisit Compare(const CliOptions& options, const CliStreams& streams, const ShowFrame& show,
                   const std::map<std::string, std::string>& discovered) {
    FrameVisit visit;
    visit.show = &show;
    const auto found = discovered.find(show.serial);
    visit.address = found != discovered.end() ? found->second : show.address;
    visit.reached = Visit(options, streams, visit.address, [&](const CliFrame& frame, const LiveFrame& live) {
        const std::string serial = LiveSerial(frame.session);
        if (serial != show.serial) {
            visit.lost = visit.address + " is frame " + serial + ", not " + show.serial;
            return kExitNotResponding;
        }
        visit.comparison = ShowComparison::Of(show, options.file, live, options.network);
        KeepChosen(options, visit.comparison);
        visit.before = ShowFile::Capture(live, visit.address);
        KeepUndoable(live, visit);
        return kExitOk;
    });
    if (visit.reached != kExitOk && visit.lost.empty())
        visit.lost = "no frame " + show.serial + " answered at " + visit.address;
    return visit;
}

void PrintLines(std::ostream& out, std::string_view heading, const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        out << "  " << heading << ": " << Safe(line) << "\n";
}

void PrintJsonList(std::ostream& out, std::string_view key, const std::vector<std::string>& lines) {
    out << ",\"" << key << "\":[";
    for (std::size_t i = 0; i < lines.size(); ++i)
        out << (i == 0 ? "" : ",") << JsonQuoted(lines[i]);
    out << "]";
}

void PrintVisits(std::ostream& out, const std::vector<FrameVisit>& visits, bool json, bool equal) {
    if (json) {
        out << "{\"equal\":" << (equal ? "true" : "false") << ",\"frames\":[";
        for (std::size_t i = 0; i < visits.size(); ++i) {
            const FrameVisit& visit = visits[i];
            const ShowComparison& c = visit.comparison;
            out << (i == 0 ? "" : ",") << "{\"serial\":" << JsonQuoted(visit.show->serial)
                << ",\"name\":" << JsonQuoted(visit.show->name)
                << ",\"address\":" << JsonQuoted(visit.show->address)
                << ",\"found\":" << (visit.lost.empty() ? "true" : "false");
            if (!visit.lost.empty())
                out << ",\"lost\":" << JsonQuoted(visit.lost);
            if (!c.problem.empty())
                out << ",\"problem\":" << JsonQuoted(c.problem);
            PrintJsonList(out, "settings", c.settings);
            PrintJsonList(out, "cards", c.cards);
            PrintJsonList(out, "routes", c.routes);
            PrintJsonList(out, "labels", c.labels);
            PrintJsonList(out, "gains", c.gains);
            PrintJsonList(out, "detectors", c.detectors);
            PrintJsonList(out, "ppm", c.ppm);
            PrintJsonList(out, "flows", c.flows);
            PrintJsonList(out, "unsent", c.unsent);
            PrintJsonList(out, "absent", c.absent);
            PrintJsonList(out, "kept", c.kept);
            out << "}";
        }
        out << "]}\n";
        return;
    }
    for (const FrameVisit& visit : visits) {
        const ShowComparison& c = visit.comparison;
        out << Safe(FrameName(*visit.show, visit.address)) << ": ";
        if (!visit.lost.empty()) {
            out << "not compared: " << Safe(visit.lost) << "\n";
            continue;
        }
        if (!c.problem.empty()) {
            out << "refused: " << Safe(c.problem) << "\n";
            continue;
        }
        const std::size_t count = c.settings.size() + c.cards.size() + c.routes.size() + c.labels.size() +
                                  c.gains.size() + c.detectors.size() + c.ppm.size() + c.flows.size();
        out << (count == 0 ? std::string("as the show") : std::to_string(count) + " differences") << "\n";
        PrintLines(out, "settings", c.settings);
        PrintLines(out, "cards", c.cards);
        PrintLines(out, "routes", c.routes);
        PrintLines(out, "labels", c.labels);
        PrintLines(out, "gains", c.gains);
        PrintLines(out, "detectors", c.detectors);
        PrintLines(out, "ppm", c.ppm);
        PrintLines(out, "flows", c.flows);
        PrintLines(out, "cannot be sent", c.unsent);
        PrintLines(out, "not on the frame", c.absent);
        PrintLines(out, "kept", c.kept);
    }
}

std::string ReadShowFile(std::span<const std::string> operands, CliOptions& options) {
    options.file = operands[0];
    for (const std::string& section : options.assignments) {
        if (std::find(kSections.begin(), kSections.end(), section) == kSections.end()) {
            std::string words;
            for (const std::string_view known : kSections)
                words.append(words.empty() ? "" : ", ").append(known);
            return "--only takes " + words;
        }
    }
    return {};
}

// The show and the frames the command works on; an exit code other than ok when there are none.
int LoadShow(const CliOptions& options, const CliStreams& streams, ShowFile& show) {
    std::string problem;
    show = ShowFile::Load(options.file, problem);
    if (!problem.empty()) {
        streams.err << "velmar-cli: " << Safe(problem) << " Nothing sent.\n";
        return kExitFailure;
    }
    for (const std::string& serial : options.files) {
        if (std::none_of(show.frames.begin(), show.frames.end(),
                         [&](const ShowFrame& frame) { return frame.serial == serial; })) {
            streams.err << "velmar-cli: " << options.file << " has no frame " << Safe(serial) << "\n";
            return kExitUsage;
        }
    }
    return kExitOk;
}

std::vector<FrameVisit> CompareAll(const CliOptions& options, const CliStreams& streams, const ShowFile& show,
                                   int& result) {
    std::vector<FrameVisit> visits;
    const std::map<std::string, std::string> discovered = DiscoveredAddresses();
    for (const ShowFrame& frame : show.frames) {
        if (!Selected(options, frame))
            continue;
        visits.push_back(Compare(options, streams, frame, discovered));
        if (!visits.back().lost.empty())
            result = Worse(result, kExitNotResponding);
        else if (!visits.back().comparison.problem.empty())
            result = Worse(result, kExitFailure);
    }
    return visits;
}

int Diff(const CliOptions& options, const CliStreams& streams) {
    ShowFile show;
    if (const int loaded = LoadShow(options, streams, show); loaded != kExitOk)
        return loaded;
    int result = kExitOk;
    const std::vector<FrameVisit> visits = CompareAll(options, streams, show, result);
    const bool equal = std::all_of(visits.begin(), visits.end(), [](const FrameVisit& visit) {
        return visit.lost.empty() && visit.comparison.problem.empty() && visit.comparison.Equal();
    });
    PrintVisits(streams.out, visits, options.json, equal);
    return equal ? kExitOk : Worse(result, kExitFailure);
}

// Waits for the requests of one section and says how many the frame took; the exit code.
int Report(const CliFrame& frame, RequestBatch& batch, const CliOptions& options, const CliStreams& streams,
           std::string_view section) {
    batch.Close();
    const int result = AwaitOutcomes(frame.loop, frame.console, batch, options.timeout, streams.err);
    streams.out << "  " << section << ": " << batch.Requests().size() << " requests sent, "
                << batch.Count(Outcome::Answered) << " answered, " << batch.Count(Outcome::Refused)
                << " refused\n";
    return result;
}

int Send(const CliOptions& options, const CliStreams& streams, const FrameVisit& visit) {
    const ShowFrame& show = *visit.show;
    return Visit(options, streams, visit.address, [&](const CliFrame& frame, const LiveFrame& live) {
        Session& session = frame.session;
        if (LiveSerial(session) != show.serial) {
            streams.err << "velmar-cli: " << visit.address << " is no longer frame " << Safe(show.serial)
                        << "\n";
            return kExitNotResponding;
        }
        // What the frame holds now decides what is sent, not what it held when it was compared.
        ShowComparison plan = ShowComparison::Of(show, options.file, live, options.network);
        KeepChosen(options, plan);
        streams.out << Safe(FrameName(show, visit.address)) << ":\n";
        if (!plan.problem.empty()) {
            streams.err << "velmar-cli: " << Safe(plan.problem) << " Nothing sent.\n";
            return kExitFailure;
        }
        int result = kExitOk;
        if (plan.edited) {
            const ConfigBlock& config = session.State().config;
            if (const auto problem =
                    NetworkSettingsProblem(config, *plan.edited, SettingsPresenceOf(config).dante)) {
                streams.err << "velmar-cli: " << *problem << " No settings were sent.\n";
                result = kExitFailure;
            } else {
                const auto opened = std::make_unique<ConfigBlock>(config);
                RequestBatch batch(session.Outcomes());
                const ApplyOutcome outcome = ApplySettings(*opened, *plan.edited, config, session.Requests());
                result = Worse(result, Report(frame, batch, options, streams, "settings"));
                for (const std::string& refused : outcome.refused) {
                    streams.err << "velmar-cli: not sent: " << refused << "\n";
                    result = Worse(result, kExitFailure);
                }
                if (outcome.OfferRestart())
                    streams.out
                        << "  the network settings changed: restart the frame for them to take effect\n";
            }
        }
        if (plan.cardsEdited) {
            const ConfigBlock opened = session.State().config;
            CardApplyOutcome outcome;
            {
                RequestBatch batch(session.Outcomes());
                outcome =
                    ApplyCardSettings(opened, *plan.cardsEdited, session.State().config, session.Requests());
                result = Worse(result, Report(frame, batch, options, streams, "cards"));
            }
            // The set replies repeat the request; the card's gets say what it took.
            RequestBatch readBack(session.Outcomes());
            for (const std::int32_t card : outcome.cards)
                session.Feature<InterfacesUnit>().CardSettings(card);
            result = Worse(result,
                           AwaitOutcomes(frame.loop, frame.console, readBack, options.timeout, streams.err));
        }
        if (!plan.crosspoints.empty()) {
            RequestBatch batch(session.Outcomes());
            for (const Crosspoint& c : plan.crosspoints)
                session.Feature<RoutingUnit>().SetCrosspoint(c.output, c.input);
            result = Worse(result, Report(frame, batch, options, streams, "routes"));
        }
        if (!plan.labelChanges.empty()) {
            RequestBatch batch(session.Outcomes());
            for (const ShowLabel& label : plan.labelChanges) {
                if (const RequestProblem problem = session.Feature<ChannelToolsUnit>().SetLabel(
                        label.direction, label.channel, label.bytes)) {
                    streams.err << "velmar-cli: not sent: " << *problem << "\n";
                    result = Worse(result, kExitFailure);
                }
            }
            result = Worse(result, Report(frame, batch, options, streams, "labels"));
        }
        if (!plan.gainClears.empty()) {
            RequestBatch batch(session.Outcomes());
            for (const std::int32_t channel : plan.gainClears)
                session.Feature<ChannelToolsUnit>().ClearGain(channel);
            result = Worse(result, Report(frame, batch, options, streams, "gains"));
        }
        if (!plan.detectorRequests.empty()) {
            RequestBatch batch(session.Outcomes());
            LevelDetectorUnit& detectors = session.Feature<LevelDetectorUnit>();
            for (const DetectorRequest& r : plan.detectorRequests) {
                if (r.kind == DetectorRequest::Kind::Thresholds)
                    detectors.SetLevelDetectorThresholds(r.direction, r.channel, r.thresholds);
                else
                    detectors.SetLevelDetectorState(r.direction, r.channel, r.enabled);
            }
            result = Worse(result, Report(frame, batch, options, streams, "detectors"));
        }
        if (!plan.ppmRequests.empty()) {
            RequestBatch batch(session.Outcomes());
            PpmUnit& ppm = session.Feature<PpmUnit>();
            for (const PpmRequest& r : plan.ppmRequests) {
                using Kind = PpmRequest::Kind;
                if (r.kind == Kind::Delete)
                    ppm.Delete(r.id);
                else if (r.kind == Kind::Enable)
                    ppm.Enable(r.id, r.enabled);
                else if (r.kind == Kind::Assign)
                    ppm.Assign(r.id, r.streamChannel, r.frameChannel);
                else if (const RequestProblem problem =
                             ppm.Create({r.stream->address, r.stream->port, r.id, r.stream->channels,
                                         r.stream->rate, r.stream->phase})) {
                    streams.err << "velmar-cli: not sent: " << *problem << "\n";
                    result = Worse(result, kExitFailure);
                }
            }
            result = Worse(result, Report(frame, batch, options, streams, "ppm"));
        }
        if (!plan.flowRequests.empty()) {
            RequestBatch batch(session.Outcomes());
            NetworkAudioUnit& network = session.Feature<NetworkAudioUnit>();
            for (const FlowRequest& r : plan.flowRequests) {
                using Kind = FlowRequest::Kind;
                const FlowEntry& e = r.entry;
                const std::int32_t slots = r.kind == Kind::Delete ? 0 : e.slotCount;
                RequestProblem problem;
                if (r.kind == Kind::Slot)
                    network.SetFlowSlot(r.transmit, r.flow, r.slot, r.channel);
                else if (r.kind == Kind::AutoRoute)
                    problem = network.SetCrossIp(r.flow, r.route.destination,
                                                 IpRouteSourceChannel(r.route.sourceChannel).value_or(0),
                                                 r.route.source);
                else if (r.transmit)
                    problem = network.SetTxFlow(r.flow, slots, e.address, e.port);
                else
                    network.SetRxFlow(r.flow, slots, e.port, e.latency);
                if (problem) {
                    streams.err << "velmar-cli: not sent: " << Safe(*problem) << "\n";
                    result = Worse(result, kExitFailure);
                }
            }
            result = Worse(result, Report(frame, batch, options, streams, "flows"));
        }
        for (const std::string& line : plan.unsent) {
            streams.err << "velmar-cli: not sent: " << Safe(line) << "\n";
            result = Worse(result, kExitFailure);
        }
        if (plan.Equal())
            streams.out << "  as the show: nothing sent\n";
        return result;
    });
}

int Apply(const CliOptions& options, const CliStreams& streams) {
    ShowFile show;
    if (const int loaded = LoadShow(options, streams, show); loaded != kExitOk)
        return loaded;
    int result = kExitOk;
    std::vector<FrameVisit> visits = CompareAll(options, streams, show, result);
    // A show that cannot be taken whole sends nothing, to any frame.
    for (const FrameVisit& visit : visits) {
        if (!visit.comparison.problem.empty()) {
            streams.err << "velmar-cli: " << Safe(visit.comparison.problem) << " Nothing sent.\n";
            return kExitFailure;
        }
    }
    if (options.dryRun) {
        PrintVisits(streams.out, visits, false, false);
        return result;
    }
    ShowFile before;
    for (const FrameVisit& visit : visits) {
        if (visit.lost.empty())
            before.frames.push_back(visit.before);
    }
    const std::string undo = options.file + ".before-apply.toml";
    if (const std::string problem = before.Save(undo); !problem.empty()) {
        streams.err << "velmar-cli: " << problem << " Nothing sent.\n";
        return kExitFailure;
    }
    streams.err << "velmar-cli: the rack as it was is saved to " << undo << " (show apply it to undo)\n";
    for (const FrameVisit& visit : visits) {
        if (!visit.lost.empty()) {
            streams.err << "velmar-cli: " << Safe(visit.lost) << "; nothing sent to it\n";
            continue;
        }
        result = Worse(result, Send(options, streams, visit));
    }
    return result;
}

void DeclareApply(CLI::App& command, CliOptions& options) {
    AddDryRunOption(command, options);
    command.add_flag("--network", options.network);
    // The show's own lists, in lists no other word of this command reads.
    command.add_option("--only", options.assignments)->delimiter(',');
    command.add_option("--frame", options.files)->delimiter(',');
}

constexpr std::array kCommands{
    CliCommand{
        .word = "show save",
        .operands = 1,
        .more = true,
        .usage = "  show save FILE ADDR... | --all\n"
                 "                      read every frame whole and write the rack's show file; --all: every\n"
                 "                      frame in its application firmware that answers the discovery\n",
        .options = [](CLI::App& command, CliOptions& options) { command.add_flag("--all", options.all); },
        .read = ReadSave,
        .run = Save,
    },
    CliCommand{
        .word = "show diff",
        .operands = 1,
        .usage = "  show diff FILE [--json] [--network] [--only SECTION,...] [--frame SERIAL,...]\n"
                 "                      compare each frame of a show with the frame of that serial number\n"
                 "                      (found by discovery, else at the file's address); exit 0 when the\n"
                 "                      rack holds what the file says, 1 when it differs\n",
        .options =
            [](CLI::App& command, CliOptions& options) {
                AddJsonOption(command, options);
                command.add_flag("--network", options.network);
                command.add_option("--only", options.assignments)->delimiter(',');
                command.add_option("--frame", options.files)->delimiter(',');
            },
        .read = ReadShowFile,
        .run = Diff,
    },
    CliCommand{
        .word = "show apply",
        .operands = 1,
        .usage = "  show apply FILE [--only SECTION,...] [--frame SERIAL,...] [--dry-run] [--network]\n"
                 "                      send what differs (settings, routes, labels, gains, detectors, ppm,\n"
                 "                      flows, in that order) and wait for every answer; the rack as it was "
                 "goes to\n"
                 "                      FILE.before-apply.toml first (apply that to undo); --dry-run prints\n"
                 "                      the differences only\n",
        .options = DeclareApply,
        .read = ReadShowFile,
        .run = Apply,
    },
};

}  // namespace

CliFeature ShowCliFeature() {
    return {kCommands, {}};
}

}  // namespace velmar
