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
#include "device/DryRunTransport.h"
#include "device/FeatureGate.h"
#include "device/Session.h"
#include "device/discovery/posix/FrameDiscovery.h"
#include "device/posix/PosixEventLoop.h"
#include "device/posix/PosixTimerService.h"
#include "features/routing/core/ChannelNames.h"
#include "features/show/core/ShowComparison.h"
#include "features/show/core/ShowFile.h"
#include "features/show/core/ShowFrameRun.h"
#include "features/show/core/ShowSending.h"
#include "protocol/Ipv4Address.h"
#include "protocol/TextEncoding.h"

namespace velmar {

namespace {

// The worse of two exit codes: unanswered above refused above all answered.
int Worse(int a, int b) {
    const auto rank = [](int code) { return code == kExitNotResponding ? 3 : code == kExitUsage ? 2 : code; };
    return rank(a) >= rank(b) ? a : b;
}

using FrameStep = std::function<int(const CliFrame&, ShowFrameRun&)>;

// Connects to `address`, reads the frame whole, then what a show reads beyond it, compares it with
// `show` (when given) and runs `step` on it; the exit code. A frame that is not the show's is
// not stepped on: `lost` says why. With `preview` the link passes the reading and the comparison,
// and `step` holds it before the run sends.
int Visit(const CliOptions& options, const CliStreams& streams, const std::string& address,
          const ShowFrame* show, std::string& lost, const FrameStep& step, bool preview = false) {
    CliOptions one = options;
    one.address = address;
    one.dryRun = preview;
    return RunOnFrame(
        one, streams, IncompleteRead::Fails,
        [&](const CliOptions& o, const CliFrame& frame, const CliStreams&) {
            // Each request of a show is waited for as long as the command is told.
            frame.session.Outcomes().SetTimeout(o.timeout);
            PosixTimerService timers(frame.loop);
            ShowFrameRun run(frame.session, timers,
                             {address, show, o.file, o.network, o.assignments, frame.dryRun != nullptr});
            const auto stopped = [&run] {
                const auto stage = run.GetStage();
                return stage == ShowFrameRun::Stage::Compared || stage == ShowFrameRun::Stage::Failed;
            };
            if (!frame.loop.RunUntil(stopped, 3 * o.timeout) ||
                run.GetStage() == ShowFrameRun::Stage::Failed) {
                lost = run.Problem().empty() ? address + " was not read" : run.Problem();
                return kExitNotResponding;
            }
            return step(frame, run);
        });
}

std::string Safe(std::string_view utf8) {
    return TerminalSafe(utf8);
}

std::string FrameName(const ShowFrame& frame, const std::string& address) {
    return frame.serial + (frame.name.empty() ? "" : " " + frame.name) + " (" + address + ")";
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
        std::string lost;
        const int result =
            Visit(options, streams, address, nullptr, lost, [&](const CliFrame&, ShowFrameRun& run) {
                show.frames.push_back(run.Captured());
                return kExitOk;
            });
        if (result != kExitOk) {
            streams.err << "velmar-cli: " << options.file
                        << " not written: " << Safe(lost.empty() ? address + " was not read" : lost) << "\n";
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
    streams.err << "velmar-cli: " << show.frames.size() << (show.frames.size() == 1 ? " frame" : " frames")
                << " saved to " << options.file << "\n";
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
    visit.reached =
        Visit(options, streams, visit.address, &show, visit.lost, [&](const CliFrame&, ShowFrameRun& run) {
            visit.comparison = std::move(run.Comparison());
            visit.before = run.Undo();
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
        if (std::find(kShowSections.begin(), kShowSections.end(), section) == kShowSections.end()) {
            std::string words;
            for (const std::string_view known : kShowSections)
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

// Each section's count of requests, every request not answered and every difference not sent;
// the exit code.
int Report(const ShowFrameRun& run, const CliStreams& streams) {
    int result = kExitOk;
    for (const std::string_view section : kShowSections) {
        std::size_t sent = 0, answered = 0, refused = 0;
        for (const ShowFrameRun::Item& item : run.Items()) {
            if (item.section != section || item.outcome == Outcome::Waiting)
                continue;
            ++sent;
            answered += item.outcome == Outcome::Answered ? 1 : 0;
            refused += item.outcome == Outcome::Refused ? 1 : 0;
        }
        if (sent > 0)
            streams.out << "  " << section << ": " << sent << " requests sent, " << answered << " answered, "
                        << refused << " refused\n";
    }
    for (const ShowFrameRun::Item& item : run.Items()) {
        if (item.outcome == Outcome::Answered)
            continue;
        streams.err << "velmar-cli: " << (item.outcome == Outcome::Waiting ? "not sent: " : "")
                    << Safe(item.text) << "\n";
        const bool unanswered = item.outcome == Outcome::Unanswered || item.outcome == Outcome::LinkLost;
        result = Worse(result, unanswered ? kExitNotResponding : kExitFailure);
    }
    if (run.RestartNeeded())
        streams.out << "  the network settings changed: restart the frame for them to take effect\n";
    return result;
}

int Send(const CliOptions& options, const CliStreams& streams, const FrameVisit& visit) {
    const ShowFrame& show = *visit.show;
    std::string lost;
    const int result =
        Visit(options, streams, visit.address, &show, lost, [&](const CliFrame& frame, ShowFrameRun& run) {
            // What the frame holds now decides what is sent, not what it held when it was compared.
            const ShowComparison& plan = run.Comparison();
            streams.out << Safe(FrameName(show, visit.address)) << ":\n";
            if (!plan.problem.empty()) {
                streams.err << "velmar-cli: " << Safe(plan.problem) << " Nothing sent.\n";
                return kExitFailure;
            }
            run.Send();
            frame.loop.RunUntil(
                [&run] {
                    return run.GetStage() == ShowFrameRun::Stage::Done ||
                           run.GetStage() == ShowFrameRun::Stage::Failed;
                },
                std::chrono::hours(1));
            int sent = Report(run, streams);
            if (run.GetStage() == ShowFrameRun::Stage::Failed) {
                streams.err << "velmar-cli: " << Safe(run.Problem()) << "\n";
                sent = Worse(sent, kExitNotResponding);
            }
            if (plan.Equal())
                streams.out << "  as the show: nothing sent\n";
            return sent;
        });
    return result;
}

// The lines an apply would send to the frame, printed as they would leave: the frame is read and
// compared again as an apply does, then its link is held. Every difference that could not be sent
// is named; the exit code is the one the apply would give for those.
int Preview(const CliOptions& options, const CliStreams& streams, const FrameVisit& visit) {
    const ShowFrame& show = *visit.show;
    std::string lost;
    const int result = Visit(
        options, streams, visit.address, &show, lost,
        [&](const CliFrame& frame, ShowFrameRun& run) {
            streams.out << Safe(FrameName(show, visit.address)) << ":\n";
            if (!run.Comparison().problem.empty()) {
                streams.err << "velmar-cli: " << Safe(run.Comparison().problem) << " Nothing sent.\n";
                return kExitFailure;
            }
            frame.dryRun->Hold();
            run.Send();
            int refused = kExitOk;
            std::size_t written = 0;
            for (const ShowFrameRun::Item& item : run.Items()) {
                if (item.previewed) {
                    ++written;
                    continue;
                }
                streams.err << "velmar-cli: not sent: " << Safe(item.text) << "\n";
                refused = kExitFailure;
            }
            if (written == 0)
                streams.out << (run.Comparison().Equal() ? "  as the show: " : "  ")
                            << "nothing would be sent\n";
            return refused;
        },
        true);
    if (result != kExitOk && !lost.empty())
        streams.err << "velmar-cli: " << Safe(lost) << "\n";
    return result;
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
        for (const FrameVisit& visit : visits) {
            if (!visit.lost.empty())
                streams.err << "velmar-cli: " << Safe(visit.lost) << "; nothing would be sent to it\n";
            else
                result = Worse(result, Preview(options, streams, visit));
        }
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

constexpr std::array kShowCommands{
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
        .usage =
            "  show apply FILE [--only SECTION,...] [--frame SERIAL,...] [--dry-run] [--network]\n"
            "                      send what differs (settings, cards, routes, labels, gains, detectors,\n"
            "                      ppm, flows, in that order) and wait for every answer; the rack as it\n"
            "                      was goes to FILE.before-apply.toml first (apply that to undo);\n"
            "                      --dry-run prints each frame's request lines and sends none\n",
        .options = DeclareApply,
        .read = ReadShowFile,
        .run = Apply,
    },
};

}  // namespace

CliFeature ShowCliFeature() {
    return {kShowCommands, {}};
}

}  // namespace velmar
