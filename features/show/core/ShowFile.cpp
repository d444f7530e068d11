#include "features/show/core/ShowFile.h"

#include <toml++/toml.h>
#include <algorithm>
#include <map>
#include <memory>
#include <sstream>

#include "device/files/AtomicFileSaver.h"
#include "features/channeltools/core/LabelText.h"
#include "features/routing/core/ChannelNames.h"
#include "features/settings/core/SettingsFile.h"
#include "protocol/TextEncoding.h"

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

void ReadLabels(std::string_view name, const toml::table& table, ShowFrame& frame) {
    for (auto&& [key, value] : table) {
        ShowLabel label;
        label.line = LineOf(value);
        const std::string_view text = key.str();
        const std::size_t space = text.find(' ');
        const std::string_view side = text.substr(0, space);
        label.direction = side == "in" ? 0 : side == "out" ? 1 : -1;
        std::int32_t channel = 0;
        const std::string_view digits = space == std::string_view::npos ? "" : text.substr(space + 1);
        // Written without leading zeros, so that "in 05" cannot name "in 5" a second time.
        const bool number =
            !digits.empty() && digits.size() <= 4 && digits.front() != '0' &&
            std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
        if (number)
            channel = std::stoi(std::string(digits));
        if (label.direction < 0 || !number || channel < 1)
            Refuse(name, key.source(),
                   "\"" + std::string(text) + "\" is not a label such as \"in 5\" or \"out 5\".");
        if (channel > frame.channels)
            Refuse(name, key.source(),
                   "channel " + std::to_string(channel) + " is beyond the frame's " +
                       std::to_string(frame.channels) + " channels.");
        label.channel = channel;
        const FrameTextEncoding encoded = EncodeLabel(StringOf(name, key, value));
        if (!encoded.Ok())
            Refuse(name, value.source(), encoded.error);
        label.bytes = encoded.bytes;
        frame.labels.push_back(std::move(label));
    }
    std::sort(frame.labels.begin(), frame.labels.end(), [](const ShowLabel& a, const ShowLabel& b) {
        return a.direction != b.direction ? a.direction < b.direction : a.channel < b.channel;
    });
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
        else
            Refuse(name, key.source(), "\"" + std::string(word) + "\" is not part of a frame's show.");
    }
    return frame;
}

}  // namespace

ShowFrame ShowFile::Capture(const DeviceState& state, const CrosspointTable& routes, std::string_view address,
                            std::int32_t channels, std::int32_t firstLabel) {
    ShowFrame frame;
    frame.serial = DecodeFrameText(state.config.devInfo.serial.View());
    frame.name = DecodeFrameText(state.config.deviceName.View());
    frame.address = std::string(address);
    frame.channels = channels;
    frame.settings = SettingsOf(state.config);
    for (std::int32_t output = 1; output <= channels; ++output) {
        const std::int32_t input = routes[static_cast<std::size_t>(output - 1)];
        if (input > 0)
            frame.routes.push_back({output, input, 0});
    }
    for (std::int32_t direction = 0; direction < 2; ++direction) {
        const auto& labels = direction == 0 ? state.config.inputLabels : state.config.outputLabels;
        for (std::int32_t channel = std::max(firstLabel, 1); channel <= channels; ++channel) {
            const auto& label = labels[static_cast<std::size_t>(channel - 1)];
            if (!label.Empty())
                frame.labels.push_back({direction, channel, std::string(label.View()), 0});
        }
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
        text.append("\n[").append(table).append(".routes]\n");
        for (const ShowRoute& route : frame->routes)
            Line(text, ChannelText(route.output),
                 route.input == 0 ? std::string() : ChannelText(route.input));
        text.append("\n[").append(table).append(".labels]\n");
        for (const ShowLabel& label : frame->labels)
            Line(text, LabelKey(label.direction, label.channel), DecodeFrameText(label.bytes));
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
