#include "features/show/core/ShowFile.h"

#include <toml++/toml.h>
#include <algorithm>
#include <map>
#include <memory>
#include <span>
#include <sstream>

#include "device/files/AtomicFileSaver.h"
#include "features/channeltools/core/ChannelTools.h"
#include "features/channeltools/core/LabelText.h"
#include "features/leveldetectors/core/LevelDetectorRules.h"
#include "features/routing/core/ChannelNames.h"
#include "features/settings/core/SettingsFile.h"
#include "protocol/Ipv4Address.h"
#include "protocol/TextEncoding.h"
#include "protocol/WireText.h"

namespace velmar {

namespace {

constexpr auto kFlags = toml::format_flags::allow_unicode_strings;

// The settings file's keys in its order, and which of them hold numbers; read from the file's own
// text so that the show follows that file's table whatever it grows to.
struct SettingKey {
    std::string key;
    bool number = false;
};

std::vector<std::pair<std::string, std::string>> SettingLines(const ConfigBlock& config) {
    std::vector<std::pair<std::string, std::string>> lines;
    std::istringstream text(SettingsFileText(config));
    std::string line;
    while (std::getline(text, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos && !line.starts_with("---"))
            lines.emplace_back(line.substr(0, equals), line.substr(equals + 1));
    }
    return lines;
}

const std::vector<SettingKey>& SettingKeys() {
    static const std::vector<SettingKey> keys = [] {
        std::vector<SettingKey> result;
        const auto blank = std::make_unique<ConfigBlock>();
        for (auto& [key, value] : SettingLines(*blank)) {
            // An empty block writes 0 for every number and nothing for every text.
            result.push_back({key, !value.empty()});
        }
        return result;
    }();
    return keys;
}

const SettingKey* FindSettingKey(std::string_view key) {
    for (const SettingKey& known : SettingKeys()) {
        if (known.key == key)
            return &known;
    }
    return nullptr;
}

// The one reading of a channel name in a show: the name ChannelText gives, exactly.
std::int32_t ChannelByName(std::string_view name) {
    static const std::map<std::string, std::int32_t, std::less<>> channels = [] {
        std::map<std::string, std::int32_t, std::less<>> result;
        for (std::int32_t c = 1; c <= static_cast<std::int32_t>(kChannelTableSize); ++c)
            result.emplace(ChannelText(c), c);
        return result;
    }();
    const auto found = channels.find(name);
    return found == channels.end() ? 0 : found->second;
}

std::string Rendered(const toml::node& node) {
    std::ostringstream out;
    out << toml::toml_formatter(node, kFlags);
    return out.str();
}

std::string KeyText(std::string_view key) {
    const bool bare = !key.empty() && std::all_of(key.begin(), key.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
               c == '-';
    });
    return bare ? std::string(key) : Rendered(toml::value<std::string>(std::string(key)));
}

void Line(std::string& text, std::string_view key, const toml::node& value) {
    text.append(KeyText(key)).append(" = ").append(Rendered(value)).append("\n");
}

void Line(std::string& text, std::string_view key, std::string value) {
    Line(text, key, toml::value<std::string>(std::move(value)));
}

// One item of several values on its line, in the order given (toml++ would sort the keys).
struct Field {
    std::string_view key;
    std::string text;  // the value as TOML writes it
};

template <typename T>
Field Value(std::string_view key, T value) {
    return {key, Rendered(toml::value<T>(std::move(value)))};
}

// An array of numbers on the one line (toml++ breaks long arrays over several).
Field Numbers(std::string_view key, std::span<const std::int32_t> numbers) {
    std::string text = "[";
    for (std::size_t i = 0; i < numbers.size(); ++i)
        text.append(i == 0 ? "" : ", ").append(std::to_string(numbers[i]));
    return {key, text.append("]")};
}

void Line(std::string& text, std::string_view key, const std::vector<Field>& fields) {
    if (fields.empty()) {
        text.append(KeyText(key)).append(" = {}\n");
        return;
    }
    text.append(KeyText(key)).append(" = {");
    for (std::size_t i = 0; i < fields.size(); ++i)
        text.append(i == 0 ? " " : ", ").append(fields[i].key).append(" = ").append(fields[i].text);
    text.append(" }\n");
}

std::string LabelKey(std::int32_t direction, std::int32_t channel) {
    return (direction == 0 ? "in " : "out ") + std::to_string(channel);
}

// A refusal that names the file and the line.
struct Refusal {
    std::string text;
};

[[noreturn]] void Refuse(std::string_view name, const toml::source_region& where, const std::string& why) {
    throw Refusal{std::string(name) + ":" + std::to_string(where.begin.line) + ": " + why};
}

[[noreturn]] void Refuse(std::string_view name, std::size_t line, const std::string& why) {
    throw Refusal{std::string(name) + ":" + std::to_string(line) + ": " + why};
}

std::size_t LineOf(const toml::node& node) {
    return node.source().begin.line;
}

std::string StringOf(std::string_view name, const toml::key& key, const toml::node& value) {
    if (!value.is_string())
        Refuse(name, value.source(), "\"" + std::string(key.str()) + "\" needs a text in quotes.");
    return value.as_string()->get();
}

const toml::table& TableOf(std::string_view name, const toml::key& key, const toml::node& value) {
    if (!value.is_table())
        Refuse(name, value.source(), "\"" + std::string(key.str()) + "\" must be a table.");
    return *value.as_table();
}

void ReadSettings(std::string_view name, const toml::table& table, ShowFrame& frame) {
    std::vector<ShowSetting> settings;
    for (auto&& [key, value] : table) {
        const SettingKey* known = FindSettingKey(key.str());
        if (known == nullptr)
            Refuse(name, key.source(), "\"" + std::string(key.str()) + "\" is not a setting.");
        ShowSetting setting{std::string(key.str()), {}, LineOf(value)};
        if (known->number) {
            if (!value.is_integer())
                Refuse(name, value.source(), setting.key + " needs a whole number.");
            setting.value = std::to_string(value.as_integer()->get());
        } else {
            setting.value = StringOf(name, key, value);
            if (setting.value.find_first_of("\r\n") != std::string::npos)
                Refuse(name, value.source(), setting.key + " holds a line break.");
        }
        settings.push_back(std::move(setting));
    }
    // The settings file's order, so that they are checked and sent as that file would be.
    std::vector<ShowSetting> ordered;
    for (const SettingKey& known : SettingKeys()) {
        for (ShowSetting& setting : settings) {
            if (setting.key == known.key)
                ordered.push_back(std::move(setting));
        }
    }
    frame.settings = std::move(ordered);
}

std::int32_t ChannelIn(std::string_view name, const toml::source_region& where, std::string_view text,
                       const ShowFrame& frame) {
    const std::int32_t channel = ChannelByName(text);
    if (channel == 0)
        Refuse(name, where, "\"" + std::string(text) + "\" is not a channel name such as \"MADI 20\".");
    if (channel > frame.channels)
        Refuse(name, where,
               std::string(text) + " is beyond the frame's " + std::to_string(frame.channels) + " channels.");
    return channel;
}

void ReadRoutes(std::string_view name, const toml::table& table, ShowFrame& frame) {
    for (auto&& [key, value] : table) {
        ShowRoute route;
        route.line = LineOf(value);
        route.output = ChannelIn(name, key.source(), key.str(), frame);
        // An empty input disconnects: written where the show undoes a connection.
        const std::string input = StringOf(name, key, value);
        route.input = input.empty() ? 0 : ChannelIn(name, value.source(), input, frame);
        frame.routes.push_back(route);
    }
    std::sort(frame.routes.begin(), frame.routes.end(),
              [](const ShowRoute& a, const ShowRoute& b) { return a.output < b.output; });
}

// "in 5" or "out 5", as labels, gains and detectors name a channel of a direction.
void ReadChannelKey(std::string_view name, const toml::key& key, const ShowFrame& frame,
                    std::int32_t& direction, std::int32_t& channel) {
    const std::string_view text = key.str();
    const std::size_t space = text.find(' ');
    const std::string_view side = text.substr(0, space);
    direction = side == "in" ? 0 : side == "out" ? 1 : -1;
    channel = 0;
    const std::string_view digits = space == std::string_view::npos ? "" : text.substr(space + 1);
    // Written without leading zeros, so that "in 05" cannot name "in 5" a second time.
    const bool number =
        !digits.empty() && digits.size() <= 4 && digits.front() != '0' &&
        std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (number)
        channel = std::stoi(std::string(digits));
    if (direction < 0 || !number || channel < 1)
        Refuse(name, key.source(),
               "\"" + std::string(text) + "\" is not a channel such as \"in 5\" or \"out 5\".");
    if (channel > frame.channels)
        Refuse(name, key.source(),
               "channel " + std::to_string(channel) + " is beyond the frame's " +
                   std::to_string(frame.channels) + " channels.");
}

void ReadLabels(std::string_view name, const toml::table& table, ShowFrame& frame) {
    for (auto&& [key, value] : table) {
        ShowLabel label;
        label.line = LineOf(value);
        ReadChannelKey(name, key, frame, label.direction, label.channel);
        const FrameTextEncoding encoded = EncodeLabel(StringOf(name, key, value));
        if (!encoded.Ok())
            Refuse(name, value.source(), encoded.error);
        label.bytes = encoded.bytes;
        frame.labels.push_back(std::move(label));
    }
    SortByChannel(frame.labels);
}

// The values of an item such as { gain = "-3.50", phase = false, mute = true }: every one of
// `keys` and nothing else, so that a value misspelt is never taken for a zero.
const toml::table& ItemOf(std::string_view name, const toml::key& key, const toml::node& value,
                          std::initializer_list<std::string_view> keys, std::string_view example) {
    const toml::table* item = value.as_table();
    bool whole = item != nullptr && item->size() == keys.size();
    for (const std::string_view wanted : keys)
        whole = whole && item->contains(wanted);
    if (!whole)
        Refuse(name, value.source(),
               "\"" + std::string(key.str()) + "\" needs " + std::string(example) + ".");
    return *item;
}

std::string TextIn(std::string_view name, const toml::table& item, std::string_view key,
                   std::string_view what) {
    const toml::node& value = *item.get(key);
    if (value.is_string())
        return value.as_string()->get();
    if (value.is_integer())  // a level of whole dB may be written as a number
        return std::to_string(value.as_integer()->get());
    Refuse(name, value.source(), std::string(key) + " needs " + std::string(what) + ".");
}

bool FlagIn(std::string_view name, const toml::table& item, std::string_view key) {
    const toml::node& value = *item.get(key);
    if (!value.is_boolean())
        Refuse(name, value.source(), std::string(key) + " needs true or false.");
    return value.as_boolean()->get();
}

void ReadGains(std::string_view name, const toml::table& table, ShowFrame& frame) {
    for (auto&& [key, value] : table) {
        ShowGain gain;
        gain.line = LineOf(value);
        ReadChannelKey(name, key, frame, gain.direction, gain.channel);
        const toml::table& item = ItemOf(name, key, value, {"gain", "phase", "mute"},
                                         "{ gain = \"-3.50\", phase = false, mute = false }");
        const auto level = ParseLevel(TextIn(name, item, "gain", "a gain in dB such as \"-3.50\""));
        if (!level)
            Refuse(name, item.get("gain")->source(),
                   "gain must be a number of dB from -" + std::to_string(kMaxLevelDb) + " to " +
                       std::to_string(kMaxLevelDb) + " with at most two decimals.");
        gain.gain = {*level, FlagIn(name, item, "phase") ? 1 : 0, FlagIn(name, item, "mute") ? 1 : 0};
        frame.gains.push_back(gain);
    }
    SortByChannel(frame.gains);
}

void ReadDetectors(std::string_view name, const toml::table& table, ShowFrame& frame) {
    for (auto&& [key, value] : table) {
        ShowDetector detector;
        detector.line = LineOf(value);
        ReadChannelKey(name, key, frame, detector.direction, detector.channel);
        const toml::table& item =
            ItemOf(name, key, value, {"time1", "level1", "time2", "level2", "enabled"},
                   "{ time1 = 500, level1 = \"-40\", time2 = 1000, level2 = \"-60\", enabled = true }");
        // The detector window's own reading of its fields, with its ranges and words.
        const DetectorFieldsRead read = ReadDetectorFields(
            detector.direction,
            {TextIn(name, item, "time1", "a time in ms"), TextIn(name, item, "level1", "a level"),
             TextIn(name, item, "time2", "a time in ms"), TextIn(name, item, "level2", "a level")});
        if (!read.thresholds)
            Refuse(name, value.source(), read.problem);
        detector.thresholds = *read.thresholds;
        detector.enabled = FlagIn(name, item, "enabled");
        frame.detectors.push_back(detector);
    }
    SortByChannel(frame.detectors);
}

std::int64_t NumberIn(std::string_view name, const toml::table& item, std::string_view key,
                      std::int64_t first, std::int64_t last) {
    const toml::node& value = *item.get(key);
    if (!value.is_integer() || value.as_integer()->get() < first || value.as_integer()->get() > last)
        Refuse(name, value.source(),
               std::string(key) + " needs a whole number from " + std::to_string(first) + " to " +
                   std::to_string(last) + ".");
    return value.as_integer()->get();
}

// A stream by its ID, the ranges the PPM command and window take for a new stream.
void ReadPpm(std::string_view name, const toml::table& table, ShowFrame& frame) {
    for (auto&& [key, value] : table) {
        ShowPpmStream item;
        item.line = LineOf(value);
        const std::string_view digits = key.str();
        const bool number =
            !digits.empty() && digits.size() <= 5 && digits.front() != '0' &&
            std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
        if (!number || std::stoul(std::string(digits)) > kLastPpmId)
            Refuse(name, key.source(),
                   "\"" + std::string(digits) + "\" is not a stream ID from 1 to " +
                       std::to_string(kLastPpmId) + ".");
        PpmStream& stream = item.stream;
        stream.id = static_cast<std::uint32_t>(std::stoul(std::string(digits)));
        if (value.is_table() && value.as_table()->empty()) {
            item.removed = true;
            frame.ppm.push_back(std::move(item));
            continue;
        }
        const toml::table& fields =
            ItemOf(name, key, value, {"address", "port", "channels", "rate", "phase", "enabled", "assigned"},
                   "{ address = \"10.0.0.152\", port = 10100, channels = 2, rate = 50, phase = 0, enabled = "
                   "true, assigned = [1, 2] }");
        stream.address = TextIn(name, fields, "address", "an IPv4 address");
        const auto address = ParseIpv4(stream.address);
        if (!address || *address == 0 || *address == 0xFFFFFFFFu)
            Refuse(name, fields.get("address")->source(),
                   "'" + stream.address + "' is not a usable IPv4 address.");
        stream.port = static_cast<std::int32_t>(NumberIn(name, fields, "port", kFirstPpmPort, kLastPpmPort));
        stream.channels =
            static_cast<std::int32_t>(NumberIn(name, fields, "channels", 1, kMaxPpmStreamChannels));
        stream.rate = static_cast<std::int32_t>(NumberIn(name, fields, "rate", kFirstPpmRate, kLastPpmRate));
        stream.phase = static_cast<std::int32_t>(NumberIn(name, fields, "phase", 0, 1));
        stream.enabled = FlagIn(name, fields, "enabled");
        const toml::array* assigned = fields.get("assigned")->as_array();
        if (assigned == nullptr || assigned->size() != static_cast<std::size_t>(stream.channels))
            Refuse(name, fields.get("assigned")->source(),
                   "assigned needs the frame channel of each of the stream's " +
                       std::to_string(stream.channels) + " channels (0 for none).");
        for (std::size_t i = 0; i < assigned->size(); ++i) {
            const toml::node& channel = *assigned->get(i);
            if (!channel.is_integer() || channel.as_integer()->get() < 0 ||
                channel.as_integer()->get() > frame.channels)
                Refuse(name, channel.source(),
                       "assigned needs frame channels from 0 (none) to the frame's " +
                           std::to_string(frame.channels) + ".");
            stream.assigned[i] = static_cast<std::int32_t>(channel.as_integer()->get());
        }
        frame.ppm.push_back(std::move(item));
    }
    std::sort(frame.ppm.begin(), frame.ppm.end(),
              [](const ShowPpmStream& a, const ShowPpmStream& b) { return a.stream.id < b.stream.id; });
    if (frame.ppm.size() > kMaxPpmStreams)
        Refuse(name, frame.ppm[kMaxPpmStreams].line,
               "a frame holds at most " + std::to_string(kMaxPpmStreams) + " PPM streams.");
}

// "tx 3", "rx 3" (flows 1..32) or "auto 5" (network channels 1..64).
void ReadFlowKey(std::string_view name, const toml::key& key, std::string& kind, std::int32_t& number) {
    const std::string_view text = key.str();
    const std::size_t space = text.find(' ');
    kind = std::string(text.substr(0, space));
    const std::string_view digits = space == std::string_view::npos ? "" : text.substr(space + 1);
    const bool valid = !digits.empty() && digits.size() <= 2 && digits.front() != '0' &&
                       std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    number = valid ? std::stoi(std::string(digits)) : 0;
    const std::int32_t last = kind == "auto" ? kIpRouteChannels : kMaxFlowId;
    if ((kind != "tx" && kind != "rx" && kind != "auto") || number < 1 || number > last)
        Refuse(name, key.source(),
               "\"" + std::string(text) +
                   "\" is not a flow such as \"tx 1\" or \"rx 32\", nor a route such as "
                   "\"auto 64\".");
}

std::string HostIn(std::string_view name, const toml::table& item, std::string_view key) {
    const std::string host = TextIn(name, item, key, "a device name");
    if (const auto problem = WireTextProblem(host, kMaxHostNameLength + 1, "A device name"))
        Refuse(name, item.get(key)->source(), *problem);
    return host;
}

void ReadFlows(std::string_view name, const toml::table& table, ShowFrame& frame) {
    for (auto&& [key, value] : table) {
        std::string kind;
        std::int32_t number = 0;
        ReadFlowKey(name, key, kind, number);
        const bool removed = value.is_table() && value.as_table()->empty();
        if (kind == "auto") {
            ShowAutoRoute route{number, {}, removed, LineOf(value)};
            if (!removed) {
                const toml::table& item =
                    ItemOf(name, key, value, {"destination", "channel", "source"},
                           "{ destination = \"localhost\", channel = 7, source = \"TRUCK-B\" }");
                route.route.destination = HostIn(name, item, "destination");
                route.route.sourceChannel = IpRouteChannelText(
                    static_cast<std::int32_t>(NumberIn(name, item, "channel", 1, kIpRouteChannels)));
                route.route.source = HostIn(name, item, "source");
            }
            frame.autoRoutes.push_back(std::move(route));
            continue;
        }
        ShowFlow flow{kind == "tx", number, {}, removed, LineOf(value)};
        if (!removed) {
            const toml::table& item =
                flow.transmit
                    ? ItemOf(name, key, value, {"slots", "address", "port", "channels"},
                             "{ slots = 2, address = \"239.1.1.1\", port = 14528, channels = [1, 2] }")
                    : ItemOf(name, key, value, {"slots", "port", "latency", "channels"},
                             "{ slots = 2, port = 14528, latency = 1000, channels = [1, 2] }");
            FlowEntry& entry = flow.entry;
            entry.slotCount = static_cast<std::int32_t>(NumberIn(name, item, "slots", 1, kMaxFlowSlots));
            entry.port =
                static_cast<std::int32_t>(NumberIn(name, item, "port", kFlowFirstPort, kFlowLastPort));
            if (flow.transmit) {
                entry.address = TextIn(name, item, "address", "an IPv4 address");
                if (!ParseIpv4(entry.address))
                    Refuse(name, item.get("address")->source(),
                           "'" + entry.address + "' is not an IPv4 address.");
            } else {
                entry.latency = static_cast<std::int32_t>(NumberIn(name, item, "latency", 0, 65535));
            }
            const toml::array* channels = item.get("channels")->as_array();
            if (channels == nullptr || channels->size() != static_cast<std::size_t>(entry.slotCount))
                Refuse(name, item.get("channels")->source(),
                       "channels needs the network channel of each of the flow's " +
                           std::to_string(entry.slotCount) + " slots (0 for none).");
            for (std::size_t i = 0; i < channels->size(); ++i) {
                const toml::node& channel = *channels->get(i);
                if (!channel.is_integer() || channel.as_integer()->get() < 0 ||
                    channel.as_integer()->get() > kIpChannels)
                    Refuse(name, channel.source(),
                           "channels needs network channels from 0 (none) to " + std::to_string(kIpChannels) +
                               ".");
                entry.channels[i] = static_cast<std::int32_t>(channel.as_integer()->get());
            }
        }
        frame.flows.push_back(std::move(flow));
    }
    std::sort(frame.flows.begin(), frame.flows.end(), [](const ShowFlow& a, const ShowFlow& b) {
        return a.transmit != b.transmit ? a.transmit : a.flow < b.flow;
    });
    std::sort(frame.autoRoutes.begin(), frame.autoRoutes.end(),
              [](const ShowAutoRoute& a, const ShowAutoRoute& b) { return a.channel < b.channel; });
}

bool LevelRow(const CardRow& row) {
    return row.param == CardParam::MicClippingLevel || row.param == CardParam::LineClippingLevel ||
           row.param == CardParam::MaxOutputLevel;
}

CardType KindNamed(std::string_view description) {
    for (const CardType kind :
         {CardType::Sdi, CardType::Ad, CardType::Da, CardType::Aes, CardType::MadiHotlink}) {
        if (CardDescription(kind) == description)
            return kind;
    }
    return CardType::None;
}

// A table per slot: the card's kind, then its rows by the card page's names and entries.
void ReadCards(std::string_view name, const toml::table& table, ShowFrame& frame) {
    for (auto&& [key, value] : table) {
        ShowCard card;
        card.line = key.source().begin.line;
        const std::string_view digits = key.str();
        card.slot = digits.size() == 1 && digits[0] >= '1' && digits[0] <= '8' ? digits[0] - '0' : 0;
        if (card.slot == 0)
            Refuse(name, key.source(), "\"" + std::string(digits) + "\" is not a card slot from 1 to 8.");
        const toml::table& rows = TableOf(name, key, value);
        const toml::node* kind = rows.get("card");
        card.kind =
            kind != nullptr && kind->is_string() ? KindNamed(kind->as_string()->get()) : CardType::None;
        if (card.kind == CardType::None)
            Refuse(name, kind != nullptr ? kind->source() : key.source(),
                   "slot " + std::to_string(card.slot) + " needs card = the kind of card, such as \"" +
                       std::string(CardDescription(CardType::Ad)) + "\".");
        for (auto&& [rowName, rowValue] : rows) {
            if (rowName.str() == "card")
                continue;
            const std::optional<CardRow> row = FindCardRow(card.kind, rowName.str());
            if (!row || LevelRow(*row))
                Refuse(name, rowName.source(),
                       "the " + std::string(CardDescription(card.kind)) + " has no parameter \"" +
                           std::string(rowName.str()) + "\" to set.");
            card.rows.push_back({*row, StringOf(name, rowName, rowValue), LineOf(rowValue)});
        }
        // The page's order: a row's meaning may follow an earlier one (the interface type).
        const std::vector<CardRow> order = CardRows(card.kind);
        std::sort(card.rows.begin(), card.rows.end(), [&](const ShowCardRow& a, const ShowCardRow& b) {
            return std::find(order.begin(), order.end(), a.row) <
                   std::find(order.begin(), order.end(), b.row);
        });
        frame.cards.push_back(std::move(card));
    }
    std::sort(frame.cards.begin(), frame.cards.end(),
              [](const ShowCard& a, const ShowCard& b) { return a.slot < b.slot; });
}

ShowSection SectionAt(const toml::key& key) {
    return {true, key.source().begin.line};
}

ShowFrame ReadFrame(std::string_view name, const toml::key& serial, const toml::table& table) {
    ShowFrame frame;
    frame.serial = std::string(serial.str());
    frame.line = serial.source().begin.line;
    if (frame.serial.empty())
        Refuse(name, serial.source(), "a frame needs its serial number.");
    const toml::node* channels = table.get("channels");
    if (channels == nullptr || !channels->is_integer() || channels->as_integer()->get() < 1 ||
        channels->as_integer()->get() > static_cast<std::int64_t>(kChannelTableSize))
        Refuse(name, channels != nullptr ? channels->source() : serial.source(),
               "frame " + frame.serial + " needs its channel count (1 to " +
                   std::to_string(kChannelTableSize) + ").");
    frame.channels = static_cast<std::int32_t>(channels->as_integer()->get());
    for (auto&& [key, value] : table) {
        const std::string_view word = key.str();
        if (word == "name")
            frame.name = StringOf(name, key, value);
        else if (word == "address")
            frame.address = StringOf(name, key, value);
        else if (word == "channels")
            continue;
        else if (word == "settings")
            ReadSettings(name, TableOf(name, key, value), frame);
        else if (word == "routes")
            ReadRoutes(name, TableOf(name, key, value), frame);
        else if (word == "labels")
            ReadLabels(name, TableOf(name, key, value), frame);
        else if (word == "gains") {
            frame.gainSection = SectionAt(key);
            ReadGains(name, TableOf(name, key, value), frame);
        } else if (word == "detectors") {
            frame.detectorSection = SectionAt(key);
            ReadDetectors(name, TableOf(name, key, value), frame);
        } else if (word == "cards") {
            frame.cardSection = SectionAt(key);
            ReadCards(name, TableOf(name, key, value), frame);
        } else if (word == "flows") {
            frame.flowSection = SectionAt(key);
            ReadFlows(name, TableOf(name, key, value), frame);
        } else if (word == "ppm") {
            frame.ppmSection = SectionAt(key);
            ReadPpm(name, TableOf(name, key, value), frame);
        } else
            Refuse(name, key.source(), "\"" + std::string(word) + "\" is not part of a frame's show.");
    }
    return frame;
}

}  // namespace

ShowFrame ShowFile::Capture(const LiveFrame& live, std::string_view address) {
    const DeviceState& state = live.state;
    const std::int32_t channels = live.channels;
    const std::int32_t first = std::max(live.firstLabel, 1);
    ShowFrame frame;
    frame.serial = DecodeFrameText(state.config.devInfo.serial.View());
    frame.name = DecodeFrameText(state.config.deviceName.View());
    frame.address = std::string(address);
    frame.channels = channels;
    frame.settings = SettingsOf(state.config);
    for (std::int32_t output = 1; output <= channels; ++output) {
        const std::int32_t input = live.routes[static_cast<std::size_t>(output - 1)];
        if (input > 0)
            frame.routes.push_back({output, input, 0});
    }
    for (std::int32_t direction = 0; direction < 2; ++direction) {
        const auto& labels = direction == 0 ? state.config.inputLabels : state.config.outputLabels;
        for (std::int32_t channel = first; channel <= channels; ++channel) {
            const auto c = static_cast<std::size_t>(channel - 1);
            if (!labels[c].Empty())
                frame.labels.push_back({direction, channel, std::string(labels[c].View()), 0});
        }
    }
    frame.gainSection.present = live.gains != nullptr;
    frame.detectorSection.present = live.detectors != nullptr;
    for (std::int32_t direction = 0; direction < 2; ++direction) {
        const auto d = static_cast<std::size_t>(direction);
        for (std::int32_t channel = first; channel <= channels; ++channel) {
            const auto c = static_cast<std::size_t>(channel - 1);
            if (live.gains != nullptr && !((*live.gains)[d][c] == GainEntry{}))
                frame.gains.push_back({direction, channel, (*live.gains)[d][c], 0});
            if (live.detectors != nullptr) {
                const LevelDetector& detector = (*live.detectors)[d][c];
                if (!(detector.thresholds == DetectorThresholds{}) || detector.state != 0)
                    frame.detectors.push_back(
                        {direction, channel, detector.thresholds, detector.state != 0, 0});
            }
        }
    }
    frame.cardSection.present = live.cardSlots;
    for (std::int32_t slot = 1; live.cardSlots && slot <= static_cast<std::int32_t>(kCardSlots); ++slot) {
        const CardType kind = EditableCardKind(state.config, slot);
        if (kind == CardType::None)
            continue;
        ShowCard card{slot, kind, {}, 0};
        const CardRecord& record = state.config.cards[static_cast<std::size_t>(slot - 1)];
        for (const CardRow& row : CardRows(kind)) {
            // Only what the page would send: rows with entries to choose, as the card stands.
            const bool cardWide = row.param == CardParam::DsdFilter && row.index > 1;
            if (!LevelRow(row) && !cardWide && RowEditable(row, record) && !RowChoices(row, record).empty())
                card.rows.push_back({row, RowValueText(row, record), 0});
        }
        frame.cards.push_back(std::move(card));
    }
    frame.flowSection.present = live.flows != nullptr;
    if (live.flows != nullptr) {
        for (const bool transmit : {true, false}) {
            for (const std::int32_t id : live.flows->Ids(transmit))
                frame.flows.push_back({transmit, id, *live.flows->Find(transmit, id), false, 0});
        }
    }
    if (live.autoRoutes != nullptr) {
        for (std::int32_t channel = 1; channel <= kIpRouteChannels; ++channel) {
            if (const IpRoute* route = live.autoRoutes->Find(channel))
                frame.autoRoutes.push_back({channel, *route, false, 0});
        }
    }
    frame.ppmSection.present = live.ppm != nullptr;
    if (live.ppm != nullptr) {
        for (const PpmStream& stream : live.ppm->Streams())
            frame.ppm.push_back({stream, false, 0});
        std::sort(frame.ppm.begin(), frame.ppm.end(),
                  [](const ShowPpmStream& a, const ShowPpmStream& b) { return a.stream.id < b.stream.id; });
    }
    return frame;
}

std::vector<ShowSetting> ShowFile::SettingsOf(const ConfigBlock& config) {
    std::vector<ShowSetting> settings;
    for (auto& [key, value] : SettingLines(config))
        settings.push_back({key, value, 0});
    return settings;
}

std::string ShowFile::Text() const {
    std::string text;
    text.append("# Velmar show: the rack's configuration, one frame per table by serial number.\n");
    text.append("format = ").append(std::to_string(kFormat)).append("\n");
    std::vector<const ShowFrame*> sorted;
    for (const ShowFrame& frame : frames)
        sorted.push_back(&frame);
    std::sort(sorted.begin(), sorted.end(),
              [](const ShowFrame* a, const ShowFrame* b) { return a->serial < b->serial; });
    for (const ShowFrame* frame : sorted) {
        const std::string table = "frame." + KeyText(frame->serial);
        text.append("\n[").append(table).append("]\n");
        Line(text, "name", frame->name);
        Line(text, "address", frame->address);
        Line(text, "channels", toml::value<std::int64_t>(frame->channels));
        if (!frame->settings.empty()) {
            text.append("\n[").append(table).append(".settings]\n");
            for (const ShowSetting& setting : frame->settings) {
                const SettingKey* known = FindSettingKey(setting.key);
                if (known != nullptr && known->number)
                    Line(text, setting.key, toml::value<std::int64_t>(std::stoll(setting.value)));
                else
                    Line(text, setting.key, setting.value);
            }
        }
        if (frame->cardSection.present) {
            text.append("\n[").append(table).append(".cards]\n");
            for (const ShowCard& card : frame->cards) {
                text.append("\n[")
                    .append(table)
                    .append(".cards.")
                    .append(std::to_string(card.slot))
                    .append("]\n");
                Line(text, "card", std::string(CardDescription(card.kind)));
                for (const ShowCardRow& row : card.rows)
                    Line(text, RowName(row.row), row.value);
            }
        }
        text.append("\n[").append(table).append(".routes]\n");
        for (const ShowRoute& route : frame->routes)
            Line(text, ChannelText(route.output),
                 route.input == 0 ? std::string() : ChannelText(route.input));
        text.append("\n[").append(table).append(".labels]\n");
        for (const ShowLabel& label : frame->labels)
            Line(text, LabelKey(label.direction, label.channel), DecodeFrameText(label.bytes));
        if (frame->gainSection.present) {
            text.append("\n[").append(table).append(".gains]\n");
            for (const ShowGain& g : frame->gains) {
                std::vector<Field> fields;
                fields.push_back(Value("gain", GainText(g.gain.gain)));
                fields.push_back(Value("phase", g.gain.phase != 0));
                fields.push_back(Value("mute", g.gain.mute != 0));
                Line(text, LabelKey(g.direction, g.channel), fields);
            }
        }
        if (frame->detectorSection.present) {
            text.append("\n[").append(table).append(".detectors]\n");
            for (const ShowDetector& d : frame->detectors) {
                const DetectorFieldTexts texts = FieldTexts(d.thresholds);
                std::vector<Field> fields;
                fields.push_back(Value<std::int64_t>("time1", d.thresholds.time1));
                fields.push_back(Value("level1", texts.level1));
                fields.push_back(Value<std::int64_t>("time2", d.thresholds.time2));
                fields.push_back(Value("level2", texts.level2));
                fields.push_back(Value("enabled", d.enabled));
                Line(text, LabelKey(d.direction, d.channel), fields);
            }
        }
        if (frame->flowSection.present) {
            text.append("\n[").append(table).append(".flows]\n");
            for (const ShowFlow& flow : frame->flows) {
                const std::string key = (flow.transmit ? "tx " : "rx ") + std::to_string(flow.flow);
                if (flow.removed) {
                    Line(text, key, std::vector<Field>{});
                    continue;
                }
                const FlowEntry& e = flow.entry;
                const auto count = static_cast<std::size_t>(std::clamp(e.slotCount, 0, kMaxFlowSlots));
                std::vector<Field> fields;
                fields.push_back(Value<std::int64_t>("slots", e.slotCount));
                if (flow.transmit)
                    fields.push_back(Value("address", DecodeFrameText(e.address)));
                fields.push_back(Value<std::int64_t>("port", e.port));
                if (!flow.transmit)
                    fields.push_back(Value<std::int64_t>("latency", e.latency));
                fields.push_back(Numbers("channels", std::span(e.channels).first(count)));
                Line(text, key, fields);
            }
            for (const ShowAutoRoute& route : frame->autoRoutes) {
                const std::string key = "auto " + std::to_string(route.channel);
                std::vector<Field> fields;
                if (!route.removed) {
                    fields.push_back(Value("destination", DecodeFrameText(route.route.destination)));
                    fields.push_back(Value<std::int64_t>(
                        "channel", IpRouteSourceChannel(route.route.sourceChannel).value_or(0)));
                    fields.push_back(Value("source", DecodeFrameText(route.route.source)));
                }
                Line(text, key, fields);
            }
        }
        if (frame->ppmSection.present) {
            text.append("\n[").append(table).append(".ppm]\n");
            for (const ShowPpmStream& item : frame->ppm) {
                const PpmStream& stream = item.stream;
                if (item.removed) {
                    Line(text, std::to_string(stream.id), std::vector<Field>{});
                    continue;
                }
                const auto count =
                    static_cast<std::size_t>(std::clamp(stream.channels, 0, kMaxPpmStreamChannels));
                std::vector<Field> fields;
                fields.push_back(Value("address", DecodeFrameText(stream.address)));
                fields.push_back(Value<std::int64_t>("port", stream.port));
                fields.push_back(Value<std::int64_t>("channels", stream.channels));
                fields.push_back(Value<std::int64_t>("rate", stream.rate));
                fields.push_back(Value<std::int64_t>("phase", stream.phase));
                fields.push_back(Value("enabled", stream.enabled));
                fields.push_back(Numbers("assigned", std::span(stream.assigned).first(count)));
                Line(text, std::to_string(stream.id), fields);
            }
        }
    }
    return text;
}

std::string ShowFile::Save(const std::string& path) const {
    return AtomicFileSaver("show file").Save(path, Text());
}

ShowFile ShowFile::Parse(std::string_view text, std::string_view name, std::string& problem) {
    problem.clear();
    ShowFile show;
    try {
        const toml::table root = toml::parse(text, name);
        const toml::node* format = root.get("format");
        if (format == nullptr || !format->is_integer())
            throw Refusal{std::string(name) +
                          ": this is not a show file (no format = " + std::to_string(kFormat) + ")."};
        if (format->as_integer()->get() > kFormat)
            Refuse(name, format->source(),
                   "written in show format " + std::to_string(format->as_integer()->get()) +
                       " by a newer Velmar; this one reads format " + std::to_string(kFormat) + ".");
        if (format->as_integer()->get() < 1)
            Refuse(name, format->source(),
                   "there is no show format " + std::to_string(format->as_integer()->get()) + ".");
        for (auto&& [key, value] : root) {
            if (key.str() == "format")
                continue;
            if (key.str() != "frame")
                Refuse(name, key.source(), "\"" + std::string(key.str()) + "\" is not part of a show.");
            for (auto&& [serial, table] : TableOf(name, key, value))
                show.frames.push_back(ReadFrame(name, serial, TableOf(name, serial, table)));
        }
    } catch (const toml::parse_error& error) {
        problem = std::string(name) + ":" + std::to_string(error.source().begin.line) + ": " +
                  std::string(error.description());
    } catch (const Refusal& refusal) {
        problem = refusal.text;
    }
    if (!problem.empty())
        show.frames.clear();
    return show;
}

ShowFile ShowFile::Load(const std::string& path, std::string& problem) {
    const FileRead read = FileReader("show file", kLargestFile).Read(path);
    if (!read.bytes) {
        problem = read.problem;
        return {};
    }
    return Parse(*read.bytes, path, problem);
}

}  // namespace velmar
