#include "device/ReturnWatch.h"

namespace velmar {

namespace {
constexpr std::chrono::milliseconds kEchoLimit{500};
}

void ReturnWatch::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (!enabled)
        Stop();
}

void ReturnWatch::Watch(std::uint32_t address) {
    if (!enabled_ || address == 0)
        return;
    address_ = address;
    look_ = timers_.Start("return watch", kLookInterval, TimerMode::Repeat, [this] { Look(); });
}

void ReturnWatch::Stop() {
    look_.Stop();
    reconnectSoon_.Stop();
}

void ReturnWatch::Look() {
    // The link's own connect probes on the same socket; never both at once.
    if (probe_.Running())
        return;
    probe_.Start(address_, echoPort_, kEchoLimit, [this](bool answered) {
        if (!answered || !look_.Running())
            return;
        look_.Stop();
        // Not from inside the probe's callback: the reconnect starts the same probe again.
        reconnectSoon_ = timers_.Start("reconnect", std::chrono::milliseconds(0), TimerMode::Once,
                                       [this] { reconnect_(); });
    });
}

}  // namespace velmar
