#include "device/DryRunTransport.h"

namespace velmar {

void DryRunTransport::Send(std::span<const char> bytes) {
    if (!holding_) {
        inner_.Send(bytes);
        return;
    }
    for (const char c : bytes) {
        if (c == '\r' || c == '\n') {
            if (!pending_.empty() && held_)
                held_(pending_);
            pending_.clear();
        } else {
            pending_.push_back(c);
        }
    }
}

}  // namespace velmar
