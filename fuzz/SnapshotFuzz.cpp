// Reads arbitrary bytes as a routing snapshot, as the preview and velmar-cli load-routes do.
// Beyond crashes: what loads must be within the channel count, a refused file loads nothing, and
// what loads must load again identically once written out.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "features/routing/core/CrosspointFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (const std::int32_t channels : {1024, 1536}) {
        std::istringstream in(bytes);
        const velmar::CrosspointFile file = velmar::CrosspointFile::Read(in, channels);
        const auto connections = file.Connections();
        if (!file.NotText().empty() && (!connections.empty() || file.SkippedCount() != 0))
            __builtin_trap();
        if (file.Skipped().size() > file.SkippedCount())
            __builtin_trap();
        for (const velmar::Crosspoint& c : connections) {
            if (c.output < 1 || c.output > channels || c.input < 1 || c.input > channels)
                __builtin_trap();
        }
        std::ostringstream out;
        velmar::CrosspointFile::Write(out, connections, velmar::CrosspointFile::Index::Counting);
        std::istringstream again(out.str());
        const velmar::CrosspointFile reread = velmar::CrosspointFile::Read(again, channels);
        if (reread.Connections() != connections || reread.SkippedCount() != 0)
            __builtin_trap();
    }
    return 0;
}
