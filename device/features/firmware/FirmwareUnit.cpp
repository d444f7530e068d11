#include "device/features/firmware/FirmwareUnit.h"

#include <algorithm>
#include <string>

#include "device/SessionEvents.h"

namespace velmar {

using namespace std::chrono_literals;
using C = CommandCode;

FirmwareUnit::FirmwareUnit(FeatureContext& context, std::function<void()> disconnect)
    : context_(context), disconnect_(std::move(disconnect)) {
    context.dispatcher.On(C::sprog, [this](const CommandMessage& m, bool) { Prog(m); });
}

void FirmwareUnit::StartRun(FirmwareRun& run) {
    run_ = &run;
    context_.requests.Send(C::sprog, {{14, 0}});
    Watch(1000ms);
}

void FirmwareUnit::Maintenance(CommandCode code, std::optional<std::int32_t> argument) {
    if (argument) {
        context_.requests.Send(code, {{14, *argument}});
    } else {
        context_.requests.Send(code);
    }
}

void FirmwareUnit::Watch(std::chrono::milliseconds limit) {
    watchdog_ = context_.timers.Start("firmware watchdog", limit, TimerMode::Once, [this] { RunEnded(); });
}

void FirmwareUnit::Prog(const CommandMessage& m) {
    const bool active = RunActive();
    if (m.status != 0) {
        if (active)
            Watch(0ms);
        return;
    }
    switch (m.Int(14)) {
        case 0:
            if (run_ == nullptr || !run_->Open())
                return;
            SendNextRecord(true);
            return;
        case 1:
            if (active)
                SendNextRecord(false);
            return;
        case 2:
            if (!active)
                return;
            run_->ImageClosed();
            Watch(0ms);
            return;
        default:
            return;
    }
}

void FirmwareUnit::SendNextRecord(bool first) {
    // A record longer than the sprog text field would reach the frame cut short; ending the run
    // instead makes the record count disagree and the operator sees the programming error.
    constexpr std::size_t kMaxRecord = kMessageSize - 18 - 1;
    Watch(10000ms);
    std::string line;
    const FirmwareRun::Line kind = run_->NextLine(line);
    if (kind == FirmwareRun::Line::Empty)
        return;
    if (kind == FirmwareRun::Line::End || line.size() > kMaxRecord || line.empty() || line[0] != 'S') {
        // The first line decides nothing by itself: without a record the watchdog ends the run.
        if (!first)
            context_.requests.Send(C::sprog, {{14, 2}});
        return;
    }
    CommandMessage message;
    message.SetInt(14, 1);
    std::copy_n(line.data(), line.size(), reinterpret_cast<char*>(message.Bytes() + 18));
    context_.requests.SendRecord(message, C::sprog);
    run_->RecordSent();
}

void FirmwareUnit::RunEnded() {
    if (!RunActive())
        return;
    if (!run_->FinishRun())
        return;
    if (context_.connection.deviceMode != DeviceMode::Recovery) {
        Maintenance(C::srestart, 1);
    } else {
        Maintenance(C::sloadapp, 0);
    }
    context_.events.Publish(FrameLeaving{context_.connection.connectedIp});
    disconnect_();
}

}  // namespace velmar
