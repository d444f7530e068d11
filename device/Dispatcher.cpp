#include "device/Dispatcher.h"

#include <cassert>

namespace velmar {

void Dispatcher::On(CommandCode code, Handler handler) {
    Handler& slot = handlers_[ToCode(code)];
    // Two units claiming one word would make one of them silently deaf.
    assert(!slot && "a command word has one handler");
    slot = std::move(handler);
}

void Dispatcher::Dispatch(const CommandMessage& message, bool isReply) const {
    // Keep-alive, error and failed lines (codes 0, 1 and 179 and beyond) carry nothing to apply.
    if (message.code < 2 || message.code >= kCommandCount)
        return;
    const Handler& handler = handlers_[message.code];
    if (handler)
        handler(message, isReply);
}

}  // namespace velmar
