#pragma once

#include <array>
#include <cstdint>
#include <istream>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "device/DeviceState.h"
#include "device/files/FileReader.h"

namespace velmar {

struct Crosspoint {
    std::int32_t output = 0;
    std::int32_t input = 0;
    friend bool operator==(const Crosspoint&, const Crosspoint&) = default;
};

// A line of a snapshot that loading leaves out, and why, for the preview and the CLI's dry run.
struct SkippedLine {
    std::size_t line = 0;  // from 1
    std::string reason;
    friend bool operator==(const SkippedLine&, const SkippedLine&) = default;
};

// A routing snapshot file (*.xpt): one "index=output,input" line per connected output, CR LF line
// ends. The index carries no meaning for reading; a file of selected crosspoints has 1 on every line.
class CrosspointFile {
  public:
    enum class Index { Counting, AllOne };

    // Skipped lines are named up to this many; a longer list ends with a count of the rest.
    static constexpr std::size_t kMaxSkippedNamed = 1000;

    // Writes one line per crosspoint, in the order given.
    static void Write(std::ostream& out, std::span<const Crosspoint> crosspoints, Index index);
    // Writes the file at `path` whole or not at all (AtomicFileSaver). Empty when written, else
    // the sentence that says why not.
    static std::string Save(const std::string& path, std::span<const Crosspoint> crosspoints, Index index);

    // A snapshot's bytes as a person handed them: a regular file of at most this many bytes,
    // far more than every crosspoint of the largest frame with comments takes.
    static constexpr std::size_t kLargestFile = std::size_t{4} << 20;
    static FileRead Fetch(const std::string& path);

    // Reads a file as people and other tools write it: CR, LF or CR LF line ends in any mix, a
    // UTF-8 byte-order mark, a last line without its end, junk lines (skipped and named). Keeps,
    // per output, the input of the last line that names it, for outputs and inputs within the
    // channel count. A file that is not text (UTF-16, NUL or other control bytes) loads nothing
    // and says why in NotText().
    static CrosspointFile Read(std::istream& in, std::int32_t channelCount);

    // What loading the file sends, and so what its preview shows: every output that has an input
    // above zero, ascending. Loading never disconnects.
    std::vector<Crosspoint> Connections() const;

    // Why the file is refused as a whole; empty for a text file.
    const std::string& NotText() const { return notText_; }
    // The lines that send nothing, in file order, at most kMaxSkippedNamed of them.
    const std::vector<SkippedLine>& Skipped() const { return skipped_; }
    // All the lines that send nothing, named or not.
    std::size_t SkippedCount() const { return skippedCount_; }

  private:
    explicit CrosspointFile(std::int32_t channelCount) : channelCount_(channelCount) {}

    void ReadLine(std::size_t number, std::string_view line);
    void Skip(std::size_t number, std::string reason);
    void Refuse(std::string reason);

    std::int32_t channelCount_;
    std::array<std::int32_t, kChannelTableSize + 1> inputByOutput_{};  // index 0 unused
    std::array<std::size_t, kChannelTableSize + 1> lineByOutput_{};    // where the input came from
    std::string notText_;
    std::vector<SkippedLine> skipped_;
    std::size_t skippedCount_ = 0;
};

}  // namespace velmar
