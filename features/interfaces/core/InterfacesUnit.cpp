#include "features/interfaces/core/InterfacesUnit.h"

#include "device/FieldBindings.h"
#include "device/SessionEvents.h"
#include "features/channeltools/core/ChannelToolsEvents.h"

namespace velmar {

namespace {
using C = CommandCode;
}  // namespace

namespace {

// Runs `each` for every number from `one` or, without it, from first to last.
template <typename Each>
void ForEach(std::optional<std::int32_t> one, std::int32_t first, std::int32_t last, Each each) {
    const std::int32_t from = one.value_or(first);
    const std::int32_t to = one.value_or(last);
    if (from < first || to > last)
        return;
    for (std::int32_t n = from; n <= to; ++n)
        each(n);
}

}  // namespace

InterfacesUnit::InterfacesUnit(FeatureContext& context) : context_(context) {
    Dispatcher& d = context.dispatcher;
    context.StoreRepliesOf({C::gaeschstat, C::saeschstat, C::gmadiinmode, C::gmadidsdmode, C::gphdmode,
                            C::goptmode, C::ghlinkinmode, C::ghlinkoutmode});
    d.On(C::gmadioutmode, [this](const CommandMessage& m, bool) {
        // The third port's mode decides whether the MADI outputs carry 56 or 64 channels.
        if (StoreBoundFields(context_.state, m) && m.Int(14) == 3)
            context_.events.Publish(ChannelLayoutChanged{});
    });
    d.On(C::goptred, [this](const CommandMessage& m, bool) { Redundancy(m, false); });
    d.On(C::soptred, [this](const CommandMessage& m, bool) { Redundancy(m, true); });
    d.On(C::goptinact, [this](const CommandMessage& m, bool) { OptionalModuleInactive(m); });
    for (const CardFieldBinding& field : CardFieldBindings()) {
        if (!context.dispatcher.Handles(field.get))
            d.On(field.get, [this](const CommandMessage& m, bool) { CardField(m); });
        if (field.from != StoredFrom::Get && !context.dispatcher.Handles(field.set))
            d.On(field.set, [this](const CommandMessage& m, bool) { CardField(m); });
    }
}

void InterfacesUnit::CardField(const CommandMessage& m) {
    if (!StoreBoundCardFields(context_.state, m))
        return;
    const auto code = static_cast<CommandCode>(m.code);
    if (code == C::gcifmode || code == C::scifmode)
        context_.events.Publish(ChannelLayoutChanged{});
    // A card's redundancy marks its inactive MADI port in the input status.
    if (code == C::gcifred || code == C::scifred)
        context_.events.Publish(InputStatusChanged{InputGroup::Madi, m.Int(14), 0});
}

void InterfacesUnit::Redundancy(const CommandMessage& m, bool setReply) {
    ConfigBlock& config = context_.state.config;
    if (m.status != 0) {
        // A refused change leaves the frame in its plain mode.
        if (setReply) {
            config.redundancyEnable = 0;
            config.redundancyMode = 0;
        }
        return;
    }
    const bool changed = config.redundancyEnable != m.Int(14);
    config.redundancyEnable = m.Int(14);
    config.redundancyMode = m.Int(18);
    // With redundancy on, the second SFP port mirrors the first and leaves the selectors.
    if (changed && !setReply)
        context_.events.Publish(ChannelLayoutChanged{});
    if (changed)
        context_.events.Publish(InputStatusChanged{InputGroup::Main, 0, 0});
}

void InterfacesUnit::OptionalModuleInactive(const CommandMessage& m) {
    const std::int32_t module = m.Int(14);
    if (!InRange(module, 1, 2))
        return;
    context_.state.live.inactive[At(module)] = m.status != 0 ? 0 : m.Int(18);
    context_.events.Publish(InputStatusChanged{InputGroup::Main, 0, kFirstSfpInput + module - 1});
}

void InterfacesUnit::MadiModes(std::optional<std::int32_t> port0) {
    for (C code : {C::gmadiinmode, C::gmadioutmode, C::gmadidsdmode})
        ForEach(port0, 0, 2, [&](std::int32_t p) { context_.requests.Send(code, {{14, p + 1}}); });
}

void InterfacesUnit::SetMadiModes(std::optional<std::int32_t> port0) {
    for (C code : {C::smadiinmode, C::smadioutmode, C::smadidsdmode})
        ForEach(port0, 0, 2, [&](std::int32_t p) { context_.requests.SendSetting(code, p + 1); });
}

void InterfacesUnit::PhdModes() {
    context_.requests.Send(C::gphdmode);
}

void InterfacesUnit::OptionalModuleMode(std::optional<std::int32_t> module) {
    ForEach(module, 1, 2, [&](std::int32_t m) { context_.requests.Send(C::goptmode, {{14, m}}); });
}

void InterfacesUnit::SetOptionalModuleMode(std::optional<std::int32_t> module) {
    ForEach(module, 1, 2, [&](std::int32_t m) { context_.requests.SendSetting(C::soptmode, m); });
}

void InterfacesUnit::Redundancy() {
    context_.requests.Send(C::goptred);
}

void InterfacesUnit::SetRedundancy() {
    context_.requests.SendSetting(C::soptred);
}

void InterfacesUnit::OptionalModuleInactive(std::optional<std::int32_t> module) {
    ForEach(module, 1, 2, [&](std::int32_t m) { context_.requests.Send(C::goptinact, {{14, m}}); });
}

void InterfacesUnit::HotlinkModes(std::optional<std::int32_t> module) {
    for (C code : {C::ghlinkinmode, C::ghlinkoutmode})
        ForEach(module, 1, 2, [&](std::int32_t m) { context_.requests.Send(code, {{14, m}}); });
}

void InterfacesUnit::SetHotlinkModes(std::optional<std::int32_t> module) {
    for (C code : {C::shlinkinmode, C::shlinkoutmode})
        ForEach(module, 1, 2, [&](std::int32_t m) { context_.requests.SendSetting(code, m); });
}

void InterfacesUnit::CardSettings(std::int32_t card) {
    if (!context_.connection.connected || !InRange(card, 1, static_cast<std::int32_t>(kCardSlots)))
        return;
    RequestWriter& r = context_.requests;
    const std::int32_t p = card;
    switch (context_.state.config.cards[At(card)].kind) {
        case CardType::Ad:
            r.Send(C::gadbrdtype, {{14, p}});
            for (std::int32_t ch = 1; ch <= 8; ++ch) {
                for (C code : {C::gadinpmode, C::gadmute, C::gadphanpow, C::gadphase, C::gadmiclevel,
                               C::gadlinelevel, C::gadsigdet, C::gadovldet}) {
                    r.Send(code, {{14, p}, {18, ch}});
                }
            }
            return;
        case CardType::Sdi:
            for (std::int32_t port = 1; port <= 2; ++port) {
                r.Send(C::gembena, {{14, p}, {18, port}});
                r.Send(C::gtxsrcrate, {{14, p}, {18, port}});
                for (std::int32_t group = 1; group <= 4; ++group) {
                    r.Send(C::gembmode, {{14, p}, {18, port}, {22, group}});
                    r.Send(C::grxsrcena, {{14, p}, {18, port}, {22, group}});
                }
            }
            for (std::int32_t port = 1; port <= 2; ++port)
                r.Send(C::gsdirxstat, {{14, p}, {18, port}});
            return;
        case CardType::Da:
            r.Send(C::gdadsdfilter, {{14, p}});
            for (std::int32_t ch = 1; ch <= 8; ++ch) {
                for (C code : {C::gdaoutlevel, C::gdamute, C::gdasigdet, C::gdaovldet, C::gdacardet})
                    r.Send(code, {{14, p}, {18, ch}});
            }
            return;
        case CardType::Aes:
            for (std::int32_t in = 1; in <= 8; ++in)
                r.Send(C::gaesrxsrcena, {{14, p}, {18, in}});
            for (std::int32_t in = 1; in <= 8; ++in)
                r.Send(C::gaesinpstatus, {{14, p}, {18, in}});
            return;
        case CardType::MadiHotlink:
            for (C code : {C::gcifmode, C::gcifred, C::gchlinkinmode, C::gchlinkoutmode})
                r.Send(code, {{14, p}});
            for (std::int32_t port = 1; port <= 2; ++port) {
                for (C code : {C::gcmadiinmode, C::gcmadioutmode, C::gcmadidsdmode, C::gcifinact})
                    r.Send(code, {{14, p}, {18, port}});
            }
            for (std::int32_t port = 1; port <= 2; ++port)
                r.Send(C::gcifstatus, {{14, p}, {18, port}});
            return;
        case CardType::None:
            return;
    }
}

void InterfacesUnit::CardSetting(CommandCode set, std::int32_t card, std::int32_t index, std::int32_t group) {
    if (context_.connection.connected)
        context_.requests.SendCardSetting(set, card, index, group);
}

}  // namespace velmar
