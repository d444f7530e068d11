// Reads arbitrary bytes as a label CSV, as velmar-cli labels --load does. Every row taken is a
// channel of the frame with a label it can hold; the labels taken, written out as a file, read
// back unchanged and without a problem.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>

#include "features/channeltools/core/LabelFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::int32_t kFirst = 513;
    constexpr std::int32_t kLast = 640;  // enough rows to cross every range check, few enough to run fast
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    const velmar::LabelFileRead read = velmar::LabelFile::Read(in, kFirst, kLast);
    auto state = std::make_unique<velmar::DeviceState>();
    for (const velmar::LabelRow& row : read.rows) {
        if (row.channel < kFirst || row.channel > kLast || (row.direction != 0 && row.direction != 1))
            __builtin_trap();
        auto& table = row.direction == 0 ? state->config.inputLabels : state->config.outputLabels;
        table[static_cast<std::size_t>(row.channel - 1)].Assign(row.text);
        if (table[static_cast<std::size_t>(row.channel - 1)].View() != row.text)
            __builtin_trap();
    }
    std::ostringstream out;
    velmar::LabelFile::Write(out, *state, kFirst, kLast);
    std::istringstream again(out.str());
    const velmar::LabelFileRead reread = velmar::LabelFile::Read(again, kFirst, kLast);
    if (!reread.problems.empty() || reread.rows.size() != 2u * (kLast - kFirst + 1))
        __builtin_trap();
    for (const velmar::LabelRow& row : reread.rows) {
        const auto& table = row.direction == 0 ? state->config.inputLabels : state->config.outputLabels;
        if (table[static_cast<std::size_t>(row.channel - 1)].View() != row.text)
            __builtin_trap();
    }
    return 0;
}
