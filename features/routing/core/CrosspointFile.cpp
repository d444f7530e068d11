#include "features/routing/core/CrosspointFile.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>

#include "device/files/AtomicFileSaver.h"
#include "protocol/TextLines.h"

namespace velmar {
namespace {

// A line this long cannot be a crosspoint a person or tool meant to write; it is skipped rather
// than held in memory, so a file without line ends cannot exhaust it.
constexpr std::size_t kLongestLine = 4096;

// Leading blanks and a sign, then digits up to the first other character; no digits read as 0.
// Values beyond any channel number saturate, so they stay out of range instead of wrapping.
std::int64_t LeadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min<std::int64_t>(value * 10 + (text[i] - '0'), INT32_MAX);
    }
    return negative ? -value : value;
}

bool IsBlank(std::string_view line) {
    return std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t' || c == 0x1A; });
}

std::string OutOfRange(std::string_view what, std::int64_t channel, std::int32_t channelCount) {
    return std::string(what) + " " + std::to_string(channel) + " is not a channel of this frame (1.." +
           std::to_string(channelCount) + ")";
}

}  // namespace

void CrosspointFile::Write(std::ostream& out, std::span<const Crosspoint> crosspoints, Index index) {
    int number = 1;
    for (const Crosspoint& c : crosspoints) {
        out << number << '=' << c.output << ',' << c.input << "\r\n";
        if (index == Index::Counting)
            ++number;
    }
}

std::string CrosspointFile::Save(const std::string& path, std::span<const Crosspoint> crosspoints,
                                 Index index) {
    std::ostringstream text;
    Write(text, crosspoints, index);
    return AtomicFileSaver("crosspoint snapshot").Save(path, text.str());
}

FileRead CrosspointFile::Fetch(const std::string& path) {
    return FileReader("crosspoint snapshot", kLargestFile).Read(path);
}

CrosspointFile CrosspointFile::Read(std::istream& in, std::int32_t channelCount) {
    CrosspointFile file(
        std::clamp<std::int32_t>(channelCount, 0, static_cast<std::int32_t>(kChannelTableSize)));
    TextLines lines(in, kLongestLine);
    while (const auto line = lines.Next()) {
        // Tab, vertical tab, form feed and the old end-of-file mark (0x1A) pass as blanks; any
        // other control byte is one no text editor writes: the file is binary, or wide text.
        if (line->HasControlBesides("\t\v\f\x1A")) {
            file.Refuse((line->controls & 1u) != 0
                            ? "NUL bytes: not a text file (or UTF-16 text without a byte-order mark)"
                            : "control bytes: not a text file");
            return file;
        }
        if (line->cut)
            file.Skip(line->number, "longer than " + std::to_string(kLongestLine) + " characters");
        else
            file.ReadLine(line->number, line->text);
    }
    if (!lines.NotText().empty()) {
        file.Refuse(lines.NotText());
        return file;
    }
    std::stable_sort(file.skipped_.begin(), file.skipped_.end(),
                     [](const SkippedLine& a, const SkippedLine& b) { return a.line < b.line; });
    return file;
}

void CrosspointFile::ReadLine(std::size_t number, std::string_view line) {
    if (IsBlank(line))
        return;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        Skip(number, "no \"=\"");
        return;
    }
    const std::string_view pair = line.substr(equals + 1);
    const std::size_t comma = pair.find(',');
    if (comma == std::string_view::npos) {
        Skip(number, "no \",\" after the \"=\"");
        return;
    }
    const std::int64_t output = LeadingNumber(pair.substr(0, comma));
    const std::int64_t input = LeadingNumber(pair.substr(comma + 1));
    if (output < 1 || output > channelCount_) {
        Skip(number, OutOfRange("output", output, channelCount_));
        return;
    }
    if (input > channelCount_) {
        Skip(number, OutOfRange("input", input, channelCount_));
        return;
    }
    const auto index = static_cast<std::size_t>(output);
    // An earlier line for the output gives way; one with no input was named already.
    if (lineByOutput_[index] != 0 && inputByOutput_[index] > 0) {
        Skip(lineByOutput_[index],
             "output " + std::to_string(output) + " is given again on line " + std::to_string(number));
    }
    inputByOutput_[index] = static_cast<std::int32_t>(input);
    lineByOutput_[index] = number;
    if (input < 1)
        Skip(number, "input " + std::to_string(input) + ": loading never disconnects an output");
}

void CrosspointFile::Skip(std::size_t number, std::string reason) {
    ++skippedCount_;
    if (skipped_.size() < kMaxSkippedNamed)
        skipped_.push_back({number, std::move(reason)});
}

void CrosspointFile::Refuse(std::string reason) {
    notText_ = std::move(reason);
    inputByOutput_.fill(0);
    skipped_.clear();
    skippedCount_ = 0;
}

std::vector<Crosspoint> CrosspointFile::Connections() const {
    std::vector<Crosspoint> connections;
    for (std::int32_t output = 1; output <= channelCount_; ++output) {
        const std::int32_t input = inputByOutput_[static_cast<std::size_t>(output)];
        if (input > 0)
            connections.push_back({output, input});
    }
    return connections;
}

}  // namespace velmar
