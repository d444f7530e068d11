#include "features/ppm/core/PpmUnit.h"

#include <array>
#include <string>

#include "features/ppm/core/PpmEvents.h"
#include "protocol/WireText.h"

namespace velmar {

namespace {
using C = CommandCode;
}  // namespace

namespace {

// Frame channels above this are reached with the extended assignment words.
constexpr std::int32_t kPlainAssignmentChannels = 1024;
constexpr std::int32_t kExtendedChannelBase = 2048;
constexpr std::int32_t kMaxStreamChannel = 255;

}  // namespace

PpmUnit::PpmUnit(FeatureContext& context) : context_(context) {
    Dispatcher& d = context.dispatcher;
    d.On(C::lppmid, [this](const CommandMessage& m, bool) { OnIdList(m); });
    for (C code : {C::gppminfo, C::sppmcreate})
        d.On(code, [this](const CommandMessage& m, bool) { OnInfo(m); });
    d.On(C::sppmdelete, [this](const CommandMessage& m, bool) {
        if (m.status != 0)
            Refused(m);
        else if (m.Uint(14) != 0)
            context_.events.Publish(PpmStreamRemoved{m.Uint(14)});
    });
    for (C code : {C::gppmenable, C::sppmenable})
        d.On(code, [this](const CommandMessage& m, bool) { OnEnable(m); });
    for (C code : {C::gppmchn, C::sppmchn, C::gppmextchn, C::sppmextchn})
        d.On(code, [this](const CommandMessage& m, bool) { OnAssignment(m); });
}

void PpmUnit::Streams() {
    context_.requests.Send(C::lppmid);
}

void PpmUnit::StreamInfo(std::uint32_t id) {
    CommandMessage message;
    message.SetUint(14, id);
    context_.requests.SendRecord(message, C::gppminfo);
}

RequestProblem PpmUnit::Create(const PpmNewStream& stream) {
    // Checked before it is copied: the record's field would cut an overlong address silently.
    if (RequestProblem problem = WireTextProblem(stream.address, 16, "An address"))
        return problem;
    CommandMessage message;
    message.SetText(34, 16, stream.address);
    message.SetInt(30, stream.port);
    message.SetUint(14, stream.id);
    message.SetInt(18, stream.channels);
    message.SetInt(22, stream.rate);
    message.SetInt(26, stream.phase);
    return context_.requests.SendRecord(message, C::sppmcreate, "An address");
}

void PpmUnit::Delete(std::uint32_t id) {
    CommandMessage message;
    message.SetUint(14, id);
    context_.requests.SendRecord(message, C::sppmdelete);
}

void PpmUnit::Enable(std::uint32_t id, bool enabled) {
    CommandMessage message;
    message.SetUint(14, id);
    message.SetInt(18, enabled ? 1 : 0);
    context_.requests.SendRecord(message, C::sppmenable);
}

void PpmUnit::Assign(std::uint32_t id, std::int32_t streamChannel, std::int32_t frameChannel) {
    CommandMessage message;
    message.SetUint(14, id);
    message.SetInt(18, streamChannel);
    message.SetUint(22, static_cast<std::uint32_t>(frameChannel));
    context_.requests.SendRecord(message, C::sppmchn);
}

void PpmUnit::Assignment(std::uint32_t id, std::int32_t streamChannel) {
    CommandMessage message;
    message.SetUint(14, id);
    message.SetInt(18, streamChannel);
    context_.requests.SendRecord(message,
                                 context_.Channels() > kPlainAssignmentChannels ? C::gppmextchn : C::gppmchn);
}

void PpmUnit::OnIdList(const CommandMessage& m) {
    if (m.status != 0)
        return;
    std::array<std::uint32_t, kPpmIdListSize> ids{};
    if (!context_.codec.GetPpmIdList(static_cast<std::int32_t>(kPpmIdListSize), ids))
        return;
    for (std::uint32_t id : ids) {
        if (id != 0)
            StreamInfo(id);
    }
}

void PpmUnit::OnInfo(const CommandMessage& m) {
    if (m.status != 0) {
        if (m.code == ToCode(C::sppmcreate))
            Refused(m);
        return;
    }
    PpmStreamReported stream{
        m.Uint(14), m.Int(18), m.Int(22), m.Int(26), m.Int(30), std::string(m.Text(34, 16)), std::nullopt};
    if (m.code == ToCode(C::gppminfo))
        stream.enabled = m.Int(50) != 0;
    if (stream.id != 0)
        context_.events.Publish(stream);
}

void PpmUnit::OnEnable(const CommandMessage& m) {
    if (m.status != 0) {
        if (m.code == ToCode(C::sppmenable))
            Refused(m);
        return;
    }
    if (m.Uint(14) != 0)
        context_.events.Publish(PpmEnableReported{m.Uint(14), m.Int(18) != 0});
}

void PpmUnit::OnAssignment(const CommandMessage& m) {
    const auto code = static_cast<C>(m.code);
    if (m.status != 0) {
        if (code == C::sppmchn || code == C::sppmextchn)
            Refused(m);
        return;
    }
    const bool extended = code == C::gppmextchn || code == C::sppmextchn;
    const std::int32_t streamChannel = m.Int(18);
    // The limit applies to the value as reported, before the extended flag moves it up.
    const std::int32_t reported = extended ? m.Int(26) : m.Int(22);
    if (m.Uint(14) == 0 || !InRange(streamChannel, 1, kMaxStreamChannel) ||
        !InRange(reported, 0, kExtendedChannelBase)) {
        return;
    }
    const std::int32_t frameChannel = extended && m.Int(22) != 0 ? reported + kExtendedChannelBase : reported;
    context_.events.Publish(PpmAssignmentReported{m.Uint(14), streamChannel, frameChannel});
}

void PpmUnit::Refused(const CommandMessage& m) {
    context_.events.Publish(PpmRefused{std::string(Command(static_cast<C>(m.code)).word), m.status});
}

}  // namespace velmar
