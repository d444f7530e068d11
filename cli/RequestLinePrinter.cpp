#include "cli/RequestLinePrinter.h"

#include <array>
#include <string_view>

namespace velmar {

void RequestLinePrinter::SendRequest(CommandMessage& request) {
    // The record as the link stamps it before writing.
    request.length = static_cast<std::uint16_t>(request.bodyLength + 6);
    request.reserved = 0;
    request.flags = MessageFlags::kRequest;
    request.tag = 0;
    std::array<char, kLinkWriteBufferSize> line{};
    std::string_view text(line.data(), codec_.Write(request, line));
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
        text.remove_suffix(1);
    out_ << text << "\n";
}

}  // namespace velmar
