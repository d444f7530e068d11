#include "sim/ControlChannel.h"

#include <charconv>
#include <vector>

namespace velmar::sim {
namespace {

constexpr std::string_view kHelp =
    "commands: frames | info <addr> | restart <addr> | state <addr> <get-word> <args...> |\n"
    "  fault <addr> silent|close|refuse|garbage|runon|split|delay <ms>|status <word> <n>|clear | quit\n";

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t pos = 0;
    while (pos < line.size()) {
        const std::size_t start = line.find_first_not_of(" \t\r\n", pos);
        if (start == std::string_view::npos)
            break;
        const std::size_t end = std::min(line.find_first_of(" \t\r\n", start), line.size());
        words.push_back(line.substr(start, end - start));
        pos = end;
    }
    return words;
}

bool ParseNumber(std::string_view text, std::int64_t& value) {
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc{} && result.ptr == text.data() + text.size();
}

std::string Error(std::string_view text) {
    return "error: " + std::string(text) + "\n";
}

}  // namespace

std::string ControlChannel::Execute(std::string_view line) {
    const std::vector<std::string_view> words = Words(line);
    if (words.empty())
        return {};
    const std::string_view command = words[0];
    if (command == "help")
        return std::string(kHelp) + "ok\n";
    if (command == "quit") {
        control_.Quit();
        return "ok bye\n";
    }
    if (command == "frames") {
        std::string answer;
        for (std::size_t i = 0; i < rack_.Size(); ++i)
            answer += rack_.At(i).Describe() + "\n";
        return answer + "ok " + std::to_string(rack_.Size()) + " frames\n";
    }
    if (command != "info" && command != "restart" && command != "fault" && command != "state") {
        return Error("unknown command '" + std::string(command) + "' (try help)");
    }
    if (words.size() < 2)
        return Error(std::string(command) + " needs a frame address");
    const std::size_t frame = rack_.IndexOf(words[1]);
    if (frame == rack_.Size())
        return Error("no frame on " + std::string(words[1]));
    if (command == "info")
        return Info(frame);
    if (command == "restart") {
        control_.RestartFrame(frame);
        return "ok\n";
    }
    if (words.size() < 3)
        return Error(std::string(command) + " needs more words (try help)");
    const auto restAt = static_cast<std::size_t>(words[2].data() + words[2].size() - line.data());
    const std::string_view rest = line.substr(restAt);
    if (command == "fault")
        return Fault(frame, words[2], rest);
    return State(frame, words[2], rest);
}

std::string ControlChannel::Fault(std::size_t frame, std::string_view kind, std::string_view rest) {
    FaultSet& faults = rack_.At(frame).Faults();
    const std::vector<std::string_view> args = Words(rest);
    if (kind == "silent") {
        faults.silent = true;
    } else if (kind == "close") {
        control_.CloseClients(frame);
    } else if (kind == "refuse") {
        faults.refuse = true;
    } else if (kind == "garbage") {
        faults.garbage = true;
    } else if (kind == "split") {
        faults.split = true;
    } else if (kind == "runon") {
        // A line start and then 1023 bytes without any line end.
        control_.SendRaw(frame, ":" + std::string(1023, 'x'));
    } else if (kind == "delay") {
        std::int64_t ms = 0;
        if (args.size() != 1 || !ParseNumber(args[0], ms) || ms < 0 || ms > 600000) {
            return Error("delay needs milliseconds 0..600000");
        }
        faults.delayMs = ms;
    } else if (kind == "status") {
        std::int64_t status = 0;
        const auto code = args.size() == 2 ? FindCommand(args[0]) : std::nullopt;
        if (!code || !ParseNumber(args[1], status) || status < -32767 || status > 32767) {
            return Error("status needs a command word and a status -32767..32767");
        }
        faults.status[ToCode(*code)] = static_cast<std::int32_t>(status);
    } else if (kind == "clear") {
        faults = FaultSet{};
    } else {
        return Error("unknown fault '" + std::string(kind) + "'");
    }
    control_.FaultsChanged(frame);
    return "ok\n";
}

std::string ControlChannel::State(std::size_t frame, std::string_view word, std::string_view args) {
    const auto code = FindCommand(word);
    if (!code || RuleOf(*code).handling != Handling::Get)
        return Error("state needs a get word the frame stores");
    // The values are written as the word's reply would carry them, so the codec checks them.
    std::string line = ":" + std::string(word) + ",0";
    for (const std::string_view arg : Words(args))
        line += "," + std::string(arg);
    line += '\r';
    CommandMessage record;
    const ReadResult result = codec_.Read(line, record, Side::Reply);
    if (!result.lineRead || record.code != ToCode(*code))
        return Error("values do not fit " + std::string(word));
    Frame& target = rack_.At(frame);
    CommandMessage& stored = target.Store().Write(RecordStore::KeyOf(*code, record));
    record.flags = 0;
    record.status = 0;
    record.tag = 0;
    stored = record;
    std::string notification;
    LineBuilder(rack_.Codec()).Line(notification, record);
    control_.Notify(frame, notification);
    return "ok\n";
}

std::string ControlChannel::Info(std::size_t frame) const {
    const Frame& target = rack_.At(frame);
    const FaultSet& faults = target.Faults();
    std::string answer = "ok mode=" + std::string(ModeName(target.Mode())) +
                         " clients=" + std::to_string(control_.ClientCount(frame)) +
                         " image-records=" + std::to_string(target.LastImageRecords()) +
                         " channels=" + std::to_string(target.ChannelCount()) + " faults=";
    std::string list;
    auto add = [&list](std::string_view name) { list += (list.empty() ? "" : ",") + std::string(name); };
    if (faults.silent)
        add("silent");
    if (faults.refuse)
        add("refuse");
    if (faults.garbage)
        add("garbage");
    if (faults.split)
        add("split");
    if (faults.delayMs > 0)
        add("delay");
    for (std::size_t code = 0; code < kCommandCount; ++code) {
        if (faults.status[code] != 0)
            add("status:" + std::string(kCommandTable[code].word));
    }
    return answer + (list.empty() ? "none" : list) + "\n";
}

}  // namespace velmar::sim
