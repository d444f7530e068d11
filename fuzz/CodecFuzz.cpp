// Feeds arbitrary bytes to the reader on both sides, as a link would, and writes back whatever
// was read. Any crash or out-of-bounds access is a finding.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "protocol/MessageCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static velmar::MessageCodec codec;
    for (const velmar::Side side : {velmar::Side::Reply, velmar::Side::Request}) {
        std::vector<char> bytes(data, data + size);
        std::span<char> rest(bytes);
        for (;;) {
            velmar::CommandMessage message;
            const velmar::ReadResult r = codec.Read(rest, message, side);
            if (r.consumed > rest.size())
                __builtin_trap();
            if (r.lineRead) {
                std::array<char, velmar::kLinkWriteBufferSize> out{};
                codec.Write(message, out, velmar::Side::Request);
                codec.Write(message, out, velmar::Side::Reply);
            }
            rest = rest.subspan(r.consumed);
            if (!r.lineRead)
                break;
        }
    }
    return 0;
}
