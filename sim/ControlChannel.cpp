#include "sim/ControlChannel.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <vector>

namespace velmar::sim {
namespace {

constexpr std::string_view kHelp =
    "commands: frames | info <addr> | restart <addr> | routes <addr> | state <addr> <get-word> <args...> |\n"
    "  health <addr> psu 1|2 ok|fault | health <addr> fan 1..3 ok|fault |\n"
    "  health <addr> sync <source 1..18> locked|unlocked | health <addr> rate <1..10> |\n"
    "  trip <addr> in|out <ch> | input <addr> <1..14> <status> | input <addr> card <slot> <n> <values...> |\n"
    "  fault <addr> silent|close|refuse|garbage|runon|split|ignore-sets|delay <ms>|status <word> <n>|\n"
    "    mute <word> <n>|prog-stall <n>|prog-error <n>|clear | quit\n";

// What a card input change reports, by card kind: the words, how many values each takes, and
// whether a value is a status text or a number.
struct CardInput {
    CardKind kind;
    std::array<CommandCode, 2> words;
    std::size_t wordCount;
    std::size_t valuesPerWord;
    bool statusText;
};
constexpr CardInput kCardInputs[] = {
    {CardKind::Sdi, {CommandCode::gsdirxstat}, 1, 3, false},  // locked, format, frame rate
    {CardKind::Ad, {CommandCode::gadsigdet, CommandCode::gadovldet}, 2, 1, false},
    {CardKind::Aes, {CommandCode::gaesinpstatus}, 1, 1, true},
    {CardKind::Madi, {CommandCode::gcifstatus}, 1, 1, true},
};

// Three characters as a frame reports an input: signal error, sync error, active.
bool IsInputStatus(std::string_view text) {
    return text.size() == 3 && (text[0] == 'E' || text[0] == '-') && (text[1] == 'S' || text[1] == '-') &&
           (text[2] == 'A' || text[2] == 'a');
}

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
    if (command != "info" && command != "restart" && command != "fault" && command != "state" &&
        command != "routes" && command != "trip" && command != "input" && command != "health") {
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
    if (command == "routes")
        return Routes(frame);
    if (words.size() < 3)
        return Error(std::string(command) + " needs more words (try help)");
    const auto restAt = static_cast<std::size_t>(words[2].data() + words[2].size() - line.data());
    const std::string_view rest = line.substr(restAt);
    if (command == "fault")
        return Fault(frame, words[2], rest);
    if (command == "trip")
        return Trip(frame, words[2], rest);
    if (command == "input")
        return Input(frame, words[2], rest);
    if (command == "health")
        return Health(frame, words[2], rest);
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
    } else if (kind == "ignore-sets") {
        faults.ignoreSets = true;
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
    } else if (kind == "mute") {
        std::int64_t answered = 0;
        const auto code = args.size() == 2 ? FindCommand(args[0]) : std::nullopt;
        if (!code || !ParseNumber(args[1], answered) || answered < 0 || answered > 1000000)
            return Error("mute needs a command word and how many are answered first 0..1000000");
        faults.muteAfter[ToCode(*code)] = static_cast<std::int32_t>(answered + 1);
    } else if (kind == "prog-stall" || kind == "prog-error") {
        std::int64_t records = 0;
        const std::int64_t least = kind == "prog-stall" ? 0 : 1;
        if (args.size() != 1 || !ParseNumber(args[0], records) || records < least || records > 1000000) {
            return Error(std::string(kind) + " needs a record count " + std::to_string(least) + "..1000000");
        }
        (kind == "prog-stall" ? faults.progStallAfter : faults.progErrorAt) = static_cast<int>(records);
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
    if (target.CheckRequest(record) != FrameStatus::kOk)
        return Error("the frame has no " + std::string(word) + " with these keys");
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
    if (faults.ignoreSets)
        add("ignore-sets");
    if (faults.delayMs > 0)
        add("delay");
    if (faults.progStallAfter >= 0)
        add("prog-stall:" + std::to_string(faults.progStallAfter));
    if (faults.progErrorAt > 0)
        add("prog-error:" + std::to_string(faults.progErrorAt));
    for (std::size_t code = 0; code < kCommandCount; ++code) {
        if (faults.status[code] != 0)
            add("status:" + std::string(kCommandTable[code].word));
        if (faults.muteAfter[code] != 0)
            add("mute:" + std::string(kCommandTable[code].word));
    }
    return answer + (list.empty() ? "none" : list) + "\n";
}

std::string ControlChannel::Routes(std::size_t frame) {
    const std::vector<std::string> routes = rack_.At(frame).IpRoutes();
    std::string answer;
    for (const std::string& route : routes)
        answer += route + "\n";
    return answer + "ok " + std::to_string(routes.size()) + " routes\n";
}

std::string ControlChannel::Trip(std::size_t frame, std::string_view direction, std::string_view rest) {
    const std::vector<std::string_view> args = Words(rest);
    if ((direction != "in" && direction != "out") || args.size() != 1)
        return Error("trip needs in or out and a channel");
    return State(frame, "glevdetstatus",
                 std::string(direction == "in" ? "0 " : "1 ") + std::string(args[0]) + " 1");
}

std::string ControlChannel::Input(std::size_t frame, std::string_view first, std::string_view rest) {
    const std::vector<std::string_view> args = Words(rest);
    if (first != "card") {
        if (args.size() != 1 || !IsInputStatus(args[0]))
            return Error("input needs a main input 1..14 and a status such as E-A, -Sa or --A");
        return State(frame, "gmaininpstatus", std::string(first) + " " + std::string(args[0]));
    }
    std::int64_t slot = 0;
    if (args.size() < 2 || !ParseNumber(args[0], slot) || slot < 1 || slot > kCardSlots)
        return Error("input card needs a slot 1..8, an input and its values");
    const CardKind kind = rack_.At(frame).Description().cards[static_cast<std::size_t>(slot - 1)];
    const auto* input = std::find_if(std::begin(kCardInputs), std::end(kCardInputs),
                                     [kind](const CardInput& each) { return each.kind == kind; });
    if (input == std::end(kCardInputs))
        return Error("slot " + std::to_string(slot) + " holds no card with inputs");
    const std::vector<std::string_view> values(args.begin() + 2, args.end());
    if (values.size() != input->wordCount * input->valuesPerWord)
        return Error("an input of the " + std::string(CardName(kind)) + " card in slot " +
                     std::to_string(slot) + " takes " +
                     std::to_string(input->wordCount * input->valuesPerWord) + " values");
    // Every value is checked before the first word is stored, so a bad one changes nothing.
    for (const std::string_view value : values) {
        std::int64_t number = 0;
        if (input->statusText ? !IsInputStatus(value) : !ParseNumber(value, number))
            return Error(input->statusText ? "status such as E-A, -Sa or --A expected" : "numbers expected");
    }
    std::string answer;
    for (std::size_t w = 0; w < input->wordCount; ++w) {
        std::string line = std::string(args[0]) + " " + std::string(args[1]);
        for (std::size_t v = 0; v < input->valuesPerWord; ++v)
            line += " " + std::string(values[w * input->valuesPerWord + v]);
        answer = State(frame, kCommandTable[ToCode(input->words[w])].word, line);
        if (answer != "ok\n")
            return answer;
    }
    return answer;
}

std::string ControlChannel::Health(std::size_t frame, std::string_view item, std::string_view rest) {
    const std::vector<std::string_view> args = Words(rest);
    std::int64_t number = 0;
    if (item == "rate") {
        if (args.size() != 1 || !ParseNumber(args[0], number) || number < 1 || number > 10)
            return Error("health rate needs a sample rate code 1..10");
        return State(frame, "gactrate", args[0]);
    }
    // Which good word and which bad one each item takes, and the range of its number.
    struct Item {
        std::string_view name;
        std::string_view word;
        std::int64_t last;
        std::string_view good;
        std::string_view bad;
    };
    static constexpr Item kItems[] = {
        {"psu", "gpsustatus", 2, "ok", "fault"},
        {"fan", "gfanstatus", 3, "ok", "fault"},
        {"sync", "gsyncstat", 18, "locked", "unlocked"},
    };
    const auto* found = std::find_if(std::begin(kItems), std::end(kItems),
                                     [item](const Item& each) { return each.name == item; });
    if (found == std::end(kItems))
        return Error("health needs psu, fan, sync or rate");
    if (args.size() != 2 || !ParseNumber(args[0], number) || number < 1 || number > found->last ||
        (args[1] != found->good && args[1] != found->bad)) {
        return Error("health " + std::string(item) + " needs 1.." + std::to_string(found->last) + " and " +
                     std::string(found->good) + " or " + std::string(found->bad));
    }
    const std::string_view state = args[1] == found->good ? "0" : "1";
    return State(frame, found->word, std::string(args[0]) + " " + std::string(state));
}

}  // namespace velmar::sim
