#include "features/channeltools/core/ChannelToolsUnit.h"

#include "device/DeviceModel.h"
#include "features/channeltools/core/ChannelToolsEvents.h"
#include "features/channeltools/core/ChannelToolsState.h"

namespace velmar {

namespace {
using C = CommandCode;
}  // namespace

namespace {

bool CardAndEntry(const CommandMessage& m, std::int32_t lastEntry) {
    return InRange(m.Int(14), 1, static_cast<std::int32_t>(kCardSlots)) && InRange(m.Int(18), 1, lastEntry);
}

constexpr std::size_t kLabelBytes = 16;  // the text of a 17-byte field without its zero
constexpr auto kTableChannels = static_cast<std::int32_t>(kChannelTableSize);

// Direction selector of a report: 0 inputs, anything else outputs.
std::int32_t Direction(const CommandMessage& m) {
    return m.Int(14) == 0 ? 0 : 1;
}

}  // namespace

ChannelToolsUnit::ChannelToolsUnit(FeatureContext& context) : context_(context) {
    Dispatcher& d = context.dispatcher;
    d.On(C::glabel, [this](const CommandMessage& m, bool) { Label(m); });
    d.On(C::slabel, [this](const CommandMessage& m, bool) { Label(m); });
    d.On(C::llabel, [this](const CommandMessage& m, bool) { LabelList(m); });
    d.On(C::gadsigdet, [this](const CommandMessage& m, bool) { AdSignal(m); });
    d.On(C::gadovldet, [this](const CommandMessage& m, bool) { AdSignal(m); });
    d.On(C::gsdirxstat, [this](const CommandMessage& m, bool) { SdiRxStatus(m); });
    d.On(C::gaesinpstatus, [this](const CommandMessage& m, bool) { CardStatusText(m); });
    d.On(C::gcifstatus, [this](const CommandMessage& m, bool) { CardStatusText(m); });
    d.On(C::gcifinact, [this](const CommandMessage& m, bool) { CardInactive(m); });
    d.On(C::gmaininpstatus, [this](const CommandMessage& m, bool) { MainInputStatus(m); });
    d.On(C::lmaininpstatus, [this](const CommandMessage& m, bool) { MainInputStatusList(m); });
    d.On(C::ggain, [this](const CommandMessage& m, bool) { Gain(m); });
    d.On(C::sgain, [this](const CommandMessage& m, bool) { Gain(m); });
}

void ChannelToolsUnit::LabelRuns() {
    const std::int32_t base = ToolChannelBase(context_.connection);
    const std::int32_t runs = (context_.Channels() - base) / 32;
    for (std::int32_t run = 0; run < runs; ++run) {
        for (std::int32_t selector = 0; selector <= 1; ++selector)
            context_.requests.Send(C::llabel, {{14, selector}, {18, base + 1 + 32 * run}, {22, 32}});
    }
}

RequestProblem ChannelToolsUnit::SetLabel(std::int32_t selector, std::int32_t channel,
                                          std::string_view text) {
    if (!context_.connection.connected)
        return std::nullopt;
    return WriteLabel(context_.requests, selector, channel, text);
}

RequestProblem ChannelToolsUnit::WriteLabel(RequestWriter& writer, std::int32_t selector,
                                            std::int32_t channel, std::string_view text) {
    return writer.SendText(C::slabel, {{14, selector}, {18, channel}}, 22, 17, text, "A label");
}

void ChannelToolsUnit::GainLists() {
    // The third word is a count: from the first tool channel to the frame's last, never beyond.
    const std::int32_t base = ToolChannelBase(context_.connection);
    const std::int32_t count = context_.Channels() - base;
    if (count <= 0)
        return;
    for (std::int32_t selector = 0; selector <= 1; ++selector)
        context_.requests.Send(C::lgain, {{14, selector}, {18, base + 1}, {22, count}});
}

void ChannelToolsUnit::ClearGain(std::int32_t channel) {
    if (!InRange(channel, 1, context_.Channels()))
        return;
    for (std::int32_t selector = 0; selector <= 1; ++selector) {
        CommandMessage message;
        message.SetInt(14, selector);
        message.SetInt(18, channel);
        message.SetFixed(22, FixedValue{});
        message.SetInt(30, 0);
        message.SetInt(34, 0);
        context_.requests.SendRecord(message, C::sgain);
    }
}

void ChannelToolsUnit::MainInputStatusList() {
    context_.requests.Send(C::lmaininpstatus, {{14, 1}, {18, 14}});
}

void ChannelToolsUnit::Label(const CommandMessage& m) {
    const std::int32_t channel = m.Int(18);
    if (!InRange(channel, 1, kTableChannels))
        return;
    if (m.code == ToCode(C::slabel) && m.status != 0)
        return;
    auto& table = m.Int(14) == 0 ? context_.state.config.inputLabels : context_.state.config.outputLabels;
    table[At(channel)].Assign(m.Text(22, 17));
    context_.events.Publish(LabelsChanged{Direction(m), channel, 1});
}

void ChannelToolsUnit::LabelList(const CommandMessage& m) {
    const std::int32_t first = m.Int(18);
    const std::int32_t count = m.Int(22);
    if (m.status != 0 || first < 1 || !InRange(count, 0, static_cast<std::int32_t>(kLabelListSize)))
        return;
    std::array<LabelEntry, kLabelListSize> entries{};
    if (!context_.codec.GetLabelList(count, entries))
        return;
    auto& table = m.Int(14) == 0 ? context_.state.config.inputLabels : context_.state.config.outputLabels;
    std::int32_t stored = 0;
    for (; stored < count && first + stored <= kTableChannels; ++stored) {
        const std::string_view text(entries[static_cast<std::size_t>(stored)].text.data(), kLabelBytes);
        table[At(first + stored)].Assign(text.substr(0, text.find('\0')));
    }
    if (stored > 0)
        context_.events.Publish(LabelsChanged{Direction(m), first, stored});
}

void ChannelToolsUnit::Reset() {
    gains_ = {};
    inputs_ = {};
}

void ChannelToolsUnit::AdSignal(const CommandMessage& m) {
    if (m.status != 0 || !CardAndEntry(m, 8))
        return;
    const std::int32_t card = m.Int(14);
    const std::int32_t channel = m.Int(18);
    velmar::AdSignal& entry = inputs_.adSignal[static_cast<std::size_t>(8 * (card - 1) + channel - 1)];
    entry.card = card;
    entry.channel = channel;
    (m.code == ToCode(C::gadsigdet) ? entry.sigDet : entry.ovlDet) = m.Int(22);
    context_.events.Publish(InputStatusChanged{InputGroup::Ad, card, channel});
}

void ChannelToolsUnit::SdiRxStatus(const CommandMessage& m) {
    if (!CardAndEntry(m, 2))
        return;
    const std::int32_t card = m.Int(14);
    const std::int32_t port = m.Int(18);
    inputs_.sdiRxStatus[static_cast<std::size_t>(2 * (card - 1) + port - 1)] = {
        card, port, {m.Int(22), m.Int(26), m.Int(30)}};
    context_.events.Publish(InputStatusChanged{InputGroup::Sdi, card, port});
}

void ChannelToolsUnit::CardStatusText(const CommandMessage& m) {
    const bool aes = m.code == ToCode(C::gaesinpstatus);
    const std::int32_t entries = aes ? 8 : 2;
    if (m.status != 0 || !CardAndEntry(m, entries))
        return;
    const std::int32_t card = m.Int(14);
    const std::int32_t index = m.Int(18);
    RawStatus& entry = aes ? inputs_.aesInputStatus[static_cast<std::size_t>(8 * (card - 1) + index - 1)]
                           : inputs_.cardIfStatus[static_cast<std::size_t>(2 * (card - 1) + index - 1)];
    entry.card = card;
    entry.index = index;
    entry.status.Assign(m.Text(22, 3));
    context_.events.Publish(InputStatusChanged{aes ? InputGroup::Aes : InputGroup::Madi, card, index});
}

void ChannelToolsUnit::CardInactive(const CommandMessage& m) {
    if (m.status != 0 || !CardAndEntry(m, 2))
        return;
    context_.state.live.inactive[At(2 * m.Int(14) + m.Int(18))] = m.Int(22);
    context_.events.Publish(InputStatusChanged{InputGroup::Madi, m.Int(14), m.Int(18)});
}

void ChannelToolsUnit::MainInputStatus(const CommandMessage& m) {
    const std::int32_t input = m.Int(14);
    if (!InRange(input, 1, static_cast<std::int32_t>(kMainInputs)))
        return;
    velmar::MainInputStatus& entry = inputs_.mainInputStatus[At(input)];
    entry.input = input;
    entry.status.Assign(m.Text(18, 3));
    context_.events.Publish(InputStatusChanged{InputGroup::Main, 0, input});
}

void ChannelToolsUnit::MainInputStatusList(const CommandMessage& m) {
    auto& table = inputs_.mainInputStatus;
    if (m.status != 0) {
        table = {};
        context_.events.Publish(InputStatusChanged{InputGroup::Main, 0, 0});
        return;
    }
    const std::int32_t count = m.Int(18);
    std::array<InputStatusEntry, kInputStatusListSize> entries{};
    if (!context_.codec.GetInputStatusList(count, entries))
        return;
    // Only the entries the answer carries, each at the input it names: a short run leaves the
    // other inputs as they were.
    for (std::size_t k = 0; k < static_cast<std::size_t>(count); ++k) {
        const std::int32_t input = entries[k].channel;
        if (!InRange(input, 1, static_cast<std::int32_t>(kMainInputs)))
            continue;
        table[At(input)].input = input;
        table[At(input)].status.Assign(std::string_view(entries[k].status.data()));
    }
    context_.events.Publish(InputStatusChanged{InputGroup::Main, 0, 0});
}

void ChannelToolsUnit::Gain(const CommandMessage& m) {
    const std::int32_t channel = m.Int(18);
    if (m.status != 0 || !InRange(channel, 1, kTableChannels))
        return;
    const std::int32_t direction = Direction(m);
    gains_[static_cast<std::size_t>(direction)][At(channel)] = {m.Fixed(22), m.Int(30), m.Int(34)};
    context_.events.Publish(GainChanged{direction, channel});
}

}  // namespace velmar
