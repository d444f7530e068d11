#pragma once

#include <array>
#include <cstdint>
#include <istream>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "device/DeviceState.h"

namespace velmar {

struct Crosspoint {
    std::int32_t output = 0;
    std::int32_t input = 0;
    friend bool operator==(const Crosspoint&, const Crosspoint&) = default;
};

// A routing snapshot file (*.xpt): one "index=output,input" line per connected output, CR LF line
// ends. The index carries no meaning for reading; a file of selected crosspoints has 1 on every line.
class CrosspointFile {
  public:
    enum class Index { Counting, AllOne };

    // Writes one line per crosspoint, in the order given.
    static void Write(std::ostream& out, std::span<const Crosspoint> crosspoints, Index index);
    // Writes the file at `path` through a temporary file beside it, so that a failed write never
    // leaves a cut snapshot where a good one was. False when the file was not written whole.
    static bool Save(const std::string& path, std::span<const Crosspoint> crosspoints, Index index);

    // Reads a file as people and other tools write it: any line end, any junk. Keeps, per output,
    // the input of the last line that names it, for outputs and inputs within the channel count.
    static CrosspointFile Read(std::istream& in, std::int32_t channelCount);

    // What loading the file sends, and so what its preview shows: every output that has an input
    // above zero, ascending. Loading never disconnects.
    std::vector<Crosspoint> Connections() const;

  private:
    explicit CrosspointFile(std::int32_t channelCount) : channelCount_(channelCount) {}

    void ReadLine(std::string_view line);

    std::int32_t channelCount_;
    std::array<std::int32_t, kChannelTableSize + 1> inputByOutput_{};  // index 0 unused
};

}  // namespace velmar
