#include "routing/core/CrosspointFile.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

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

}  // namespace

void CrosspointFile::Write(std::ostream& out, std::span<const Crosspoint> crosspoints, Index index) {
    int number = 1;
    for (const Crosspoint& c : crosspoints) {
        out << number << '=' << c.output << ',' << c.input << "\r\n";
        if (index == Index::Counting)
            ++number;
    }
}

bool CrosspointFile::Save(const std::string& path, std::span<const Crosspoint> crosspoints, Index index) {
    const std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        Write(out, crosspoints, index);
        out.flush();
        if (!out.good()) {
            out.close();
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

CrosspointFile CrosspointFile::Read(std::istream& in, std::int32_t channelCount) {
    CrosspointFile file(
        std::clamp<std::int32_t>(channelCount, 0, static_cast<std::int32_t>(kChannelTableSize)));
    std::string line;
    bool tooLong = false;
    for (auto it = std::istreambuf_iterator<char>(in); it != std::istreambuf_iterator<char>(); ++it) {
        const char c = *it;
        if (c != '\n') {
            if (line.size() < kLongestLine) {
                line += c;
            } else {
                tooLong = true;
            }
            continue;
        }
        if (!tooLong)
            file.ReadLine(line);
        line.clear();
        tooLong = false;
    }
    if (!tooLong)
        file.ReadLine(line);
    return file;
}

void CrosspointFile::ReadLine(std::string_view line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return;
    const std::string_view pair = line.substr(equals + 1);
    const std::size_t comma = pair.find(',');
    if (comma == std::string_view::npos)
        return;
    const std::int64_t output = LeadingNumber(pair.substr(0, comma));
    const std::int64_t input = LeadingNumber(pair.substr(comma + 1));
    if (output < 1 || output > channelCount_ || input > channelCount_)
        return;
    inputByOutput_[static_cast<std::size_t>(output)] = static_cast<std::int32_t>(input);
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
