#include "features/channeltools/core/LabelFile.h"

#include <charconv>
#include <sstream>
#include <string_view>

#include "device/files/AtomicFileSaver.h"
#include "features/channeltools/core/LabelText.h"
#include "protocol/TextLines.h"

namespace velmar {

namespace {

constexpr std::string_view kHeader = "channel,direction,label";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A field in double quotes when it needs them, quotes inside doubled.
std::string CsvField(std::string_view text) {
    if (text.find_first_of(",;\"\r\n") == std::string_view::npos &&
        (text.empty() || (text.front() != ' ' && text.back() != ' ')))
        return std::string(text);
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    return quoted + "\"";
}

// Splits one CSV line; false when a quoted field does not end.
bool SplitCsv(std::string_view line, std::vector<std::string>& fields) {
    fields.assign(1, {});
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                fields.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',' || c == ';') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return !quoted;
}

}  // namespace

void LabelFile::Write(std::ostream& out, const DeviceState& state, std::int32_t first, std::int32_t last) {
    // The byte-order mark makes spreadsheets read the file as UTF-8.
    out << kByteOrderMark << kHeader << "\r\n";
    for (std::int32_t direction = 0; direction <= 1; ++direction) {
        const auto& table = direction == 0 ? state.config.inputLabels : state.config.outputLabels;
        for (std::int32_t ch = first; ch <= last && ch <= static_cast<std::int32_t>(kChannelTableSize);
             ++ch) {
            out << ch << "," << (direction == 0 ? "in" : "out") << ","
                << CsvField(DecodeFrameText(table[static_cast<std::size_t>(ch - 1)].View())) << "\r\n";
        }
    }
}

FileRead LabelFile::Fetch(const std::string& path) {
    return FileReader("label file", kLargestFile).Read(path);
}

std::string LabelFile::Save(const std::string& path, const DeviceState& state, std::int32_t first,
                            std::int32_t last) {
    std::ostringstream text;
    Write(text, state, first, last);
    return AtomicFileSaver("label file").Save(path, text.str());
}

LabelFileRead LabelFile::Read(std::istream& in, std::int32_t first, std::int32_t last) {
    LabelFileRead read;
    std::vector<std::string> fields;
    TextLines lines(in);
    while (const auto line = lines.Next()) {
        const std::string_view text = line->text;
        if (text.empty() || (line->number == 1 && text.starts_with("channel")))
            continue;
        const std::string where = "line " + std::to_string(line->number) + ": ";
        if (!SplitCsv(text, fields) || fields.size() != 3) {
            read.problems.push_back(where + "expected channel,direction,label");
            continue;
        }
        LabelRow row;
        const std::string& channel = fields[0];
        const auto parsed = std::from_chars(channel.data(), channel.data() + channel.size(), row.channel);
        if (parsed.ec != std::errc{} || parsed.ptr != channel.data() + channel.size() ||
            row.channel < first || row.channel > last) {
            read.problems.push_back(where + "channel must be " + std::to_string(first) + ".." +
                                    std::to_string(last));
            continue;
        }
        if (fields[1] != "in" && fields[1] != "out") {
            read.problems.push_back(where + "direction must be in or out");
            continue;
        }
        row.direction = fields[1] == "in" ? 0 : 1;
        FrameTextEncoding label = EncodeLabel(fields[2]);
        if (!label.Ok()) {
            read.problems.push_back(where + label.error);
            continue;
        }
        row.text = std::move(label.bytes);
        read.rows.push_back(std::move(row));
    }
    if (!lines.NotText().empty())
        read.problems.push_back(lines.NotText());
    return read;
}

}  // namespace velmar
