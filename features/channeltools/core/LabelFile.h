#pragma once

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "device/DeviceState.h"
#include "device/files/FileReader.h"

namespace velmar {

// One label as a file holds it: channel, direction (0 input, 1 output) and the frame's bytes.
struct LabelRow {
    std::int32_t channel = 0;
    std::int32_t direction = 0;
    std::string text;
    friend bool operator==(const LabelRow&, const LabelRow&) = default;
};

struct LabelFileRead {
    std::vector<LabelRow> rows;
    std::vector<std::string> problems;  // "line 7: ...", one per line that cannot be taken
};

// Label files are CSV in UTF-8, as spreadsheets open and save them: a header line
// "channel,direction,label", then one line per label with the direction "in" or "out".
class LabelFile {
  public:
    // Every label of channels first..last, inputs and outputs, from the frame image.
    static void Write(std::ostream& out, const DeviceState& state, std::int32_t first, std::int32_t last);
    // Reads every line; a channel outside first..last, a bad direction or a label the frame
    // cannot take is named in `problems` and left out.
    static LabelFileRead Read(std::istream& in, std::int32_t first, std::int32_t last);

    // A label file's bytes as a person handed them: a regular file of at most this many bytes,
    // several times what every label of the largest frame takes.
    static constexpr std::size_t kLargestFile = std::size_t{1} << 20;
    static FileRead Fetch(const std::string& path);
    // Writes the labels of first..last whole or not at all; empty when written, else why not.
    static std::string Save(const std::string& path, const DeviceState& state, std::int32_t first,
                            std::int32_t last);
};

}  // namespace velmar
