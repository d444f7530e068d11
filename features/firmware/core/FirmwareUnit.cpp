#include "features/firmware/core/FirmwareUnit.h"

#include <algorithm>
#include <cstring>

#include "device/SessionEvents.h"
#include "features/firmware/core/FirmwareEvents.h"

namespace velmar {

using namespace std::chrono_literals;
namespace {
using C = CommandCode;
}  // namespace

namespace {

constexpr std::uint16_t kRecordTextPos = 18;

// The begin is answered at once by a frame that is there; a record may take a flash erase.
constexpr auto kBeginLimit = 1000ms;
constexpr auto kRecordLimit = 10000ms;

enum Step : std::int32_t { kBegin = 0, kData = 1, kEnd = 2 };

}  // namespace

FirmwareUnit::FirmwareUnit(FeatureContext& context, RequestOutcomes& outcomes,
                           std::function<void()> disconnect, std::function<void()> reread)
    : context_(context), outcomes_(outcomes), disconnect_(std::move(disconnect)), reread_(std::move(reread)) {
    context.dispatcher.On(C::sprog, [this](const CommandMessage& m, bool) { Prog(m); });
    context.dispatcher.On(C::sclear, [this](const CommandMessage& m, bool) {
        if (m.status == 0 && context_.connection.connected)
            reread_();
    });
    linkWatch_ = context.events.Subscribe<ConnectionChanged>([this](const ConnectionChanged& e) {
        if (!e.connected && RunActive() && stage_ != Stage::Ending)
            EndSoon(FirmwareOutcome::LinkLost);
    });
}

RequestProblem FirmwareUnit::StartRun(std::vector<std::string> records) {
    if (RunActive())
        return "A firmware image is being programmed already.";
    if (records.empty())
        return "The image holds no records.";
    const auto bad = std::find_if(records.begin(), records.end(), [](const std::string& record) {
        return record.empty() || record.size() > kMaxFirmwareRecord;
    });
    if (bad != records.end()) {
        return "Record " + std::to_string(bad - records.begin() + 1) +
               " does not fit a programming request (" + std::to_string(kMaxFirmwareRecord) +
               " characters at most).";
    }
    records_ = std::move(records);
    acknowledged_ = 0;
    stage_ = Stage::BeginSent;
    context_.requests.Send(C::sprog, {{14, kBegin}});
    Watch(kBeginLimit, FirmwareOutcome::BeginUnanswered);
    return std::nullopt;
}

bool FirmwareUnit::Stop() {
    if (stage_ != Stage::BeginSent && stage_ != Stage::RecordSent)
        return false;
    // The answer to what is in flight comes into the Ending stage and is dropped.
    EndSoon(FirmwareOutcome::Stopped);
    return true;
}

void FirmwareUnit::Watch(std::chrono::milliseconds limit, FirmwareOutcome onExpiry, std::int32_t status) {
    watchdogOutcome_ = onExpiry;
    watchdogStatus_ = status;
    // A record costs no allocation: the running watchdog is moved on rather than replaced.
    if (!watchdog_.Rearm(limit)) {
        watchdog_ = context_.timers.Start("firmware watchdog", limit, TimerMode::Once,
                                          [this] { End(watchdogOutcome_, watchdogStatus_); });
    }
}

void FirmwareUnit::Prog(const CommandMessage& m) {
    if (!RunActive())
        return;
    // A reply names its step; an answer to another step than the one awaited is stale.
    const std::int32_t step = m.Int(14);
    switch (stage_) {
        case Stage::BeginSent:
            if (m.status != 0) {
                EndSoon(FirmwareOutcome::BeginRefused, m.status);
            } else if (step == kBegin) {
                SendRecord();
            }
            return;
        case Stage::RecordSent:
            if (m.status != 0) {
                EndSoon(FirmwareOutcome::RecordRefused, m.status);
                return;
            }
            if (step != kData)
                return;
            ++acknowledged_;
            context_.events.Publish(FirmwareProgress{acknowledged_, records_.size()});
            if (acknowledged_ < records_.size()) {
                SendRecord();
            } else {
                stage_ = Stage::EndSent;
                context_.requests.Send(C::sprog, {{14, kEnd}});
                Watch(kRecordLimit, FirmwareOutcome::EndUnanswered);
            }
            return;
        case Stage::EndSent:
            if (m.status != 0) {
                EndSoon(FirmwareOutcome::EndRefused, m.status);
            } else if (step == kEnd) {
                EndSoon(FirmwareOutcome::Programmed);
            }
            return;
        case Stage::Ending:
        case Stage::Idle:
            return;
    }
}

CommandMessage FirmwareUnit::RecordRequest(std::string_view record) {
    CommandMessage message;
    message.SetInt(14, kData);
    std::memcpy(message.Bytes() + kRecordTextPos, record.data(), std::min(record.size(), kMaxFirmwareRecord));
    return message;
}

void FirmwareUnit::SendRecord() {
    CommandMessage message = RecordRequest(records_[acknowledged_]);
    stage_ = Stage::RecordSent;
    context_.requests.SendRecord(message, C::sprog);
    Watch(kRecordLimit, FirmwareOutcome::Stalled);
}

void FirmwareUnit::EndSoon(FirmwareOutcome outcome, std::int32_t status) {
    stage_ = Stage::Ending;
    Watch(0ms, outcome, status);
}

void FirmwareUnit::End(FirmwareOutcome outcome, std::int32_t status) {
    const FirmwareRunEnded ended{outcome, acknowledged_, records_.size(), status};
    stage_ = Stage::Idle;
    watchdog_ = {};
    records_.clear();
    context_.events.Publish(ended);
}

RequestHandle FirmwareUnit::Leave(CommandCode code, std::int32_t argument) {
    if (!context_.connection.connected)
        return nullptr;
    context_.requests.Send(code, {{14, argument}});
    RequestHandle sent = outcomes_.LastSent();
    const std::uint32_t address = context_.connection.connectedIp;
    outcomes_.WhenResolved(sent, [this, address](const RequestRecord& record) { Left(record, address); });
    return sent;
}

void FirmwareUnit::Left(const RequestRecord& record, std::uint32_t address) {
    switch (record.outcome) {
        case Outcome::Answered:
            context_.events.Publish(FrameLeaving{address});
            // Not inside the reply: closing the link it arrived on is the receive path's to survive.
            leaving_ =
                context_.timers.Start("frame leaving", std::chrono::milliseconds(0), TimerMode::Once, [this] {
                    if (context_.connection.connected)
                        disconnect_();
                });
            return;
        case Outcome::LinkLost:
            // The frame closed the link with the word unanswered: it is on its way.
            context_.events.Publish(FrameLeaving{address});
            return;
        case Outcome::Refused:
        case Outcome::Unanswered:
            context_.events.Publish(ConsoleNotice{NoticeLevel::Warning, DescribeOutcome(record)});
            return;
        case Outcome::Waiting:
            return;
    }
}

RequestHandle FirmwareUnit::Restart() {
    return Leave(C::srestart, 1);
}

RequestHandle FirmwareUnit::RestartAfterProgramming() {
    if (context_.connection.deviceMode == DeviceMode::Recovery)
        return Leave(C::sloadapp, 0);
    return Leave(C::srestart, 1);
}

RequestHandle FirmwareUnit::SwitchFirmware() {
    if (context_.connection.deviceMode == DeviceMode::Recovery)
        return Leave(C::sloadapp, 0);
    return Leave(C::sloadboot, 0);
}

void FirmwareUnit::FactoryClear() {
    if (context_.connection.connected)
        context_.requests.Send(C::sclear);
}

}  // namespace velmar
