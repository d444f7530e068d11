#include "cli/DryRunTransport.h"

namespace velmar {

void DryRunTransport::Send(std::span<const char> bytes) {
    if (!holding_) {
        inner_.Send(bytes);
        return;
    }
    for (const char c : bytes)
        out_ << (c == '\r' ? '\n' : c);
}

}  // namespace velmar
