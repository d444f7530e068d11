#include "device/ReturnWatch.h"

namespace velmar {

namespace {
constexpr std::chrono::milliseconds kReturnEchoLimit{500};
}

void ReturnWatch::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (!enabled) {
        // The lost frame is still remembered: choosing it again goes on looking for it.
        look_.Stop();
        reconnectSoon_.Stop();
        return;
    }
    StartLooking();
}

void ReturnWatch::Watch(std::uint32_t address) {
    // Remembered even while not chosen, so that choosing it after the loss still finds the frame.
    address_ = address;
    StartLooking();
}

void ReturnWatch::StartLooking() {
    if (!enabled_ || address_ == 0 || look_.Running())
        return;
    look_ = timers_.Start("return watch", kLookInterval, TimerMode::Repeat, [this] { Look(); });
}

void ReturnWatch::Stop() {
    look_.Stop();
    reconnectSoon_.Stop();
    address_ = 0;
}

void ReturnWatch::Look() {
    // The link's own connect probes on the same socket; never both at once.
    if (probe_.Running())
        return;
    probe_.Start(address_, echoPort_, kReturnEchoLimit, [this](bool answered) {
        if (!answered || !look_.Running())
            return;
        look_.Stop();
        // Not from inside the probe's callback: the reconnect starts the same probe again.
        reconnectSoon_ = timers_.Start("reconnect", std::chrono::milliseconds(0), TimerMode::Once,
                                       [this] { reconnect_(); });
    });
}

}  // namespace velmar
