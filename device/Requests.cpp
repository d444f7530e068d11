#include "device/Requests.h"

#include <algorithm>
#include <array>
#include <string>

#include "device/DeviceModel.h"
#include "protocol/WireText.h"

namespace velmar {

namespace {

struct BodyLengthOverride {
    CommandCode code;
    std::uint16_t bodyLength;
};

// Where the catalogue fixes a value that the argument layout alone would not give.
constexpr std::array<BodyLengthOverride, 11> kBodyLengths{{
    {CommandCode::gdevid, 8},
    {CommandCode::gip, 8},
    {CommandCode::sip, 63},
    {CommandCode::gbkip, 8},
    {CommandCode::gbksecip, 8},
    {CommandCode::gbkname, 8},
    {CommandCode::sbkip, 79},
    {CommandCode::sbksecip, 79},
    {CommandCode::gswver, 148},
    {CommandCode::gdevfeature, 44},
    {CommandCode::sprog, 268},
}};

struct SettingRow {
    CommandCode get;
    CommandCode set;
    std::uint16_t pos;
    std::int32_t (*value)(const DeviceState&);
};

constexpr std::array<SettingRow, 13> kSettings{{
    {CommandCode::galivetime, CommandCode::salivetime, 14,
     [](const DeviceState& s) { return s.config.aliveTime; }},
    {CommandCode::gsystemdelay, CommandCode::ssystemdelay, 14,
     [](const DeviceState& s) { return s.config.systemDelay; }},
    {CommandCode::ggenrate, CommandCode::sgenrate, 14,
     [](const DeviceState& s) { return s.config.sampleRate; }},
    {CommandCode::grateadptsrc, CommandCode::srateadptsrc, 14,
     [](const DeviceState& s) { return s.config.sampleRateAdaptSrc; }},
    {CommandCode::gwclkout, CommandCode::swclkout, 14,
     [](const DeviceState& s) { return s.config.wordClkOutMode; }},
    {CommandCode::gsyncterm, CommandCode::ssyncterm, 14,
     [](const DeviceState& s) { return s.config.syncTermEnable; }},
    {CommandCode::gaeschstat, CommandCode::saeschstat, 14,
     [](const DeviceState& s) { return s.config.aesChnStMode; }},
    {CommandCode::gpsuconf, CommandCode::spsuconf, 18,
     [](const DeviceState& s) { return static_cast<std::int32_t>(s.config.psuConf); }},
    {CommandCode::gfanconf, CommandCode::sfanconf, 18,
     [](const DeviceState& s) { return static_cast<std::int32_t>(s.config.fanConf); }},
    {CommandCode::gswmodeip, CommandCode::sswmodeip, 14,
     [](const DeviceState& s) { return s.config.danteSwMode; }},
    {CommandCode::gsrenaip, CommandCode::ssrenaip, 14,
     [](const DeviceState& s) { return s.config.danteSRate; }},
    {CommandCode::guniclkip, CommandCode::suniclkip, 14,
     [](const DeviceState& s) { return s.config.danteUniClk; }},
    {CommandCode::gautorouteip, CommandCode::sautorouteip, 14,
     [](const DeviceState& s) { return s.config.danteAutoRoute; }},
}};

enum class CardAddress : std::uint8_t { Card, Channel, Port, PortAndGroup };

// The card set forms: how each is addressed and which held values it carries.
struct CardSetRow {
    CommandCode code;
    CardAddress address;
    void (*fill)(CommandMessage&, const CardRecord&, std::size_t index, std::size_t group);
};

#define VELMAR_CARD_SET(word, address, body)                                           \
    CardSetRow {                                                                       \
        CommandCode::word, CardAddress::address,                                       \
            [](CommandMessage& m, const CardRecord& c, [[maybe_unused]] std::size_t i, \
               [[maybe_unused]] std::size_t g) { body; }                               \
    }

const std::array kCardSets{
    VELMAR_CARD_SET(sadinpmode, Channel, m.SetInt(22, c.ad[i].inputMode)),
    VELMAR_CARD_SET(sadmute, Channel, m.SetInt(22, c.ad[i].mute)),
    VELMAR_CARD_SET(sadphanpow, Channel, m.SetInt(22, c.ad[i].phantomPower)),
    VELMAR_CARD_SET(sadphase, Channel, m.SetInt(22, c.ad[i].phase)),
    VELMAR_CARD_SET(sadmiclevel, Channel, m.SetFixed(22, c.ad[i].micLevel)),
    VELMAR_CARD_SET(sadlinelevel, Channel, m.SetFixed(22, c.ad[i].lineLevel)),
    VELMAR_CARD_SET(sdaoutlevel, Channel, m.SetFixed(22, c.da[i].outLevel)),
    VELMAR_CARD_SET(sdamute, Channel, m.SetInt(22, c.da[i].mute)),
    VELMAR_CARD_SET(sdadsdfilter, Card, m.SetInt(22, c.da[0].dsdFilter)),
    VELMAR_CARD_SET(sembena, Port, m.SetInt(26, c.sdi[i].embEnable)),
    VELMAR_CARD_SET(stxsrcrate, Port, m.SetInt(26, c.sdi[i].txSrcRate)),
    VELMAR_CARD_SET(sembmode, PortAndGroup, m.SetInt(26, c.sdi[i].embMode[g])),
    VELMAR_CARD_SET(srxsrcena, PortAndGroup, m.SetInt(26, c.sdi[i].rxSrcEnable[g])),
    VELMAR_CARD_SET(saesrxsrcena, Channel, m.SetInt(22, c.aesRxSrcEnable[i])),
    VELMAR_CARD_SET(scifmode, Card, m.SetInt(18, c.mode)),
    VELMAR_CARD_SET(scifred, Card,
                    (m.SetInt(18, c.madi.redundancyEnable), m.SetInt(22, c.madi.redundancyMode))),
    VELMAR_CARD_SET(scmadiinmode, Port, m.SetInt(22, c.madi.ports[i].inMode)),
    VELMAR_CARD_SET(scmadioutmode, Port,
                    (m.SetInt(26, c.madi.ports[i].outChnSt), m.SetInt(30, c.madi.ports[i].outLegFr),
                     m.SetInt(34, c.madi.ports[i].outMode))),
    VELMAR_CARD_SET(scmadidsdmode, Port, m.SetInt(38, c.madi.ports[i].dsdMode)),
    VELMAR_CARD_SET(schlinkinmode, Card, m.SetInt(18, c.madi.ports[0].inMode)),
    VELMAR_CARD_SET(schlinkoutmode, Card, m.SetInt(18, c.madi.ports[0].outChnSt)),
};

#undef VELMAR_CARD_SET

std::uint16_t FieldEnd(std::span<const ArgField> fields) {
    std::uint16_t end = kArgumentOffset;
    for (const ArgField& field : fields) {
        if (field.type != ArgType::Skip)
            end = std::max<std::uint16_t>(end, static_cast<std::uint16_t>(field.offset + field.size));
    }
    return end;
}

struct TextField {
    std::string_view text;
    std::size_t size;
    std::string_view what;
};

RequestProblem FirstTextProblem(std::initializer_list<TextField> fields) {
    for (const TextField& field : fields) {
        if (RequestProblem problem = WireTextProblem(field.text, field.size, field.what))
            return problem;
    }
    return std::nullopt;
}

}  // namespace

std::uint16_t Requests::BodyLength(CommandCode code) {
    for (const BodyLengthOverride& entry : kBodyLengths) {
        if (entry.code == code)
            return entry.bodyLength;
    }
    const CommandInfo& info = Command(code);
    std::uint16_t end = std::max(FieldEnd(info.request.All()), FieldEnd(info.reply.All()));
    if (!info.clearBeforeReply.Empty())
        end = std::max<std::uint16_t>(end, static_cast<std::uint16_t>(info.clearBeforeReply.last + 1));
    const std::uint16_t size = static_cast<std::uint16_t>(end - kArgumentOffset);
    return static_cast<std::uint16_t>(8 + (size + 3) / 4 * 4);
}

void Requests::SendRecord(CommandMessage& message, CommandCode code) {
    message.code = ToCode(code);
    message.bodyLength = BodyLength(code);
    sink_.SendRequest(message);
}

void Requests::Send(CommandCode code, std::initializer_list<RequestArg> args) {
    CommandMessage message;
    for (const RequestArg& arg : args)
        message.SetInt(arg.pos, arg.value);
    SendRecord(message, code);
}

void Requests::SendText(CommandCode code, std::initializer_list<RequestArg> args, std::uint16_t textPos,
                        std::uint16_t textSize, std::string_view text) {
    CommandMessage message;
    for (const RequestArg& arg : args)
        message.SetInt(arg.pos, arg.value);
    message.SetText(textPos, textSize, text);
    SendRecord(message, code);
}

void Requests::Setting(CommandCode get, bool set) {
    for (const SettingRow& row : kSettings) {
        if (row.get != get)
            continue;
        if (set) {
            Send(row.set, {{row.pos, row.value(state_)}});
        } else {
            Send(row.get);
        }
        return;
    }
}

RequestProblem Requests::DeviceId(bool set) {
    if (!set) {
        Send(CommandCode::gdevid);
    } else if (connection_.connected) {
        const std::string_view name = state_.config.deviceName.View();
        if (RequestProblem problem = WireTextProblem(name, 17, "A device name"))
            return problem;
        SendText(CommandCode::sdevid, {{14, state_.config.deviceId}}, 18, 17, name);
    }
    return std::nullopt;
}

RequestProblem Requests::NetworkSettings(bool set) {
    if (!set) {
        Send(CommandCode::gip);
        return std::nullopt;
    }
    if (!connection_.connected)
        return std::nullopt;
    const LanSettings& lan = state_.config.lan;
    if (RequestProblem problem = FirstTextProblem({{lan.ip.View(), 16, "An IP address"},
                                                   {lan.subnet.View(), 16, "A subnet mask"},
                                                   {lan.gateway.View(), 16, "A gateway address"}}))
        return problem;
    CommandMessage message;
    message.SetInt(14, lan.dhcp);
    message.SetText(18, 16, lan.ip.View());
    message.SetText(34, 16, lan.subnet.View());
    message.SetText(50, 16, lan.gateway.View());
    SendRecord(message, CommandCode::sip);
    return std::nullopt;
}

void Requests::HardwareConfig(std::optional<std::int32_t> position) {
    if (position) {
        Send(CommandCode::ghwconf, {{14, *position}});
        return;
    }
    for (std::int32_t p = 2; p <= 20; ++p)
        Send(CommandCode::ghwconf, {{14, p}});
}

void Requests::SoftwareVersion(std::optional<std::int32_t> position) {
    if (position) {
        Send(CommandCode::gswver, {{14, *position}});
        return;
    }
    for (std::int32_t p = 2; p <= 20; ++p)
        Send(CommandCode::gswver, {{14, p}});
}

void Requests::DeviceFeature(std::int32_t group) {
    Send(CommandCode::gdevfeature, {{14, group}});
}

void Requests::SyncPriorities(bool set) {
    if (!set) {
        Send(CommandCode::lsyncprio, {{14, 2}, {18, static_cast<std::int32_t>(kSyncPriorityCount)}});
        return;
    }
    for (std::int32_t source = 2; source <= 18; ++source) {
        Send(CommandCode::ssyncprio,
             {{14, source}, {18, state_.config.syncPrio[static_cast<std::size_t>(source - 2)]}});
    }
}

void Requests::MadiModes(std::optional<std::int32_t> port0, bool set) {
    const std::int32_t first = port0 ? *port0 : 0;
    const std::int32_t last = port0 ? *port0 : 2;
    if (first < 0 || last > 2)
        return;
    for (std::int32_t p = first; p <= last; ++p) {
        const MadiInConfig& in = state_.config.madiIn[static_cast<std::size_t>(p)];
        if (set) {
            Send(CommandCode::smadiinmode, {{14, p + 1}, {18, in.mode}});
        } else {
            Send(CommandCode::gmadiinmode, {{14, p + 1}});
        }
    }
    for (std::int32_t p = first; p <= last; ++p) {
        const MadiOutConfig& out = state_.config.madiOut[static_cast<std::size_t>(p)];
        if (set) {
            Send(CommandCode::smadioutmode, {{14, p + 1}, {22, out.chnSt}, {26, out.legFr}, {30, out.mode}});
        } else {
            Send(CommandCode::gmadioutmode, {{14, p + 1}});
        }
    }
    for (std::int32_t p = first; p <= last; ++p) {
        const MadiOutConfig& out = state_.config.madiOut[static_cast<std::size_t>(p)];
        if (set) {
            Send(CommandCode::smadidsdmode, {{14, p + 1}, {34, out.dsdMode}});
        } else {
            Send(CommandCode::gmadidsdmode, {{14, p + 1}});
        }
    }
}

void Requests::PhdModes(bool set) {
    const PhdConfig& phd = state_.config.phd;
    if (set) {
        Send(CommandCode::sphdmode, {{14, phd.portCfg}, {18, phd.emuMode1}, {22, phd.emuMode2}});
    } else {
        Send(CommandCode::gphdmode);
    }
}

void Requests::OptionalModuleMode(std::optional<std::int32_t> module, bool set) {
    for (std::int32_t m = module.value_or(1); m <= module.value_or(2); ++m) {
        if (m < 1 || m > 2)
            return;
        if (set) {
            Send(CommandCode::soptmode,
                 {{14, m}, {18, state_.config.optMode[static_cast<std::size_t>(m - 1)].mode}});
        } else {
            Send(CommandCode::goptmode, {{14, m}});
        }
    }
}

void Requests::Redundancy(bool set) {
    if (set) {
        Send(CommandCode::soptred,
             {{14, state_.config.redundancyEnable}, {18, state_.config.redundancyMode}});
    } else {
        Send(CommandCode::goptred);
    }
}

void Requests::OptionalModuleInactive(std::optional<std::int32_t> module) {
    for (std::int32_t m = module.value_or(1); m <= module.value_or(2); ++m) {
        if (m >= 1 && m <= 2)
            Send(CommandCode::goptinact, {{14, m}});
    }
}

void Requests::HotlinkModes(std::optional<std::int32_t> module, bool set) {
    const std::int32_t first = module.value_or(1);
    const std::int32_t last = module.value_or(2);
    if (first < 1 || last > 2)
        return;
    for (std::int32_t m = first; m <= last; ++m) {
        if (set) {
            Send(CommandCode::shlinkinmode,
                 {{14, m}, {18, state_.config.hlinkInMode[static_cast<std::size_t>(m - 1)].mode}});
        } else {
            Send(CommandCode::ghlinkinmode, {{14, m}});
        }
    }
    for (std::int32_t m = first; m <= last; ++m) {
        if (set) {
            Send(CommandCode::shlinkoutmode,
                 {{14, m}, {18, state_.config.hlinkOutMode[static_cast<std::size_t>(m - 1)].mode}});
        } else {
            Send(CommandCode::ghlinkoutmode, {{14, m}});
        }
    }
}

RequestProblem Requests::DanteNetwork(bool secondary, bool set) {
    if (!set) {
        Send(secondary ? CommandCode::gbksecip : CommandCode::gbkip);
        return std::nullopt;
    }
    const DanteLanSettings& lan = secondary ? state_.config.danteSecLan : state_.config.danteLan;
    if (RequestProblem problem = FirstTextProblem({{lan.ip.View(), 16, "An IP address"},
                                                   {lan.subnet.View(), 16, "A subnet mask"},
                                                   {lan.gateway.View(), 16, "A gateway address"},
                                                   {lan.dns.View(), 16, "A DNS server address"}}))
        return problem;
    CommandMessage message;
    message.SetInt(14, lan.dhcp);
    message.SetText(18, 16, lan.ip.View());
    message.SetText(34, 16, lan.subnet.View());
    message.SetText(50, 16, lan.gateway.View());
    message.SetText(66, 16, lan.dns.View());
    SendRecord(message, secondary ? CommandCode::sbksecip : CommandCode::sbkip);
    return std::nullopt;
}

RequestProblem Requests::DanteName(bool set) {
    if (!set) {
        Send(CommandCode::gbkname);
        return std::nullopt;
    }
    const std::string_view name = state_.config.danteName.View();
    if (RequestProblem problem = WireTextProblem(name, 32, "A Dante device name"))
        return problem;
    SendText(CommandCode::sbkname, {}, 14, 32, name);
    return std::nullopt;
}

void Requests::PsuStatus(std::int32_t supply) {
    Send(CommandCode::gpsustatus, {{18, supply}});
}
void Requests::FanStatus(std::int32_t fan) {
    Send(CommandCode::gfanstatus, {{18, fan}});
}

void Requests::Crosspoint(std::int32_t output) {
    Send(CommandCode::gcross, {{14, output}});
}

void Requests::SetCrosspoint(std::int32_t output, std::int32_t input) {
    Send(CommandCode::scross, {{14, output}, {18, input}, {22, 0}, {26, 0}});
}

void Requests::CrosspointRuns() {
    const std::int32_t count = ChannelCount(state_, connection_.modelClass);
    for (std::int32_t first = 1; first < count; first += 128)
        Send(CommandCode::lcross, {{14, first}, {18, 128}});
}

void Requests::MainInputStatusList() {
    Send(CommandCode::lmaininpstatus, {{14, 1}, {18, 14}});
}

void Requests::CardSettings(std::int32_t card) {
    if (!connection_.connected || card < 1 || card > static_cast<std::int32_t>(kCardSlots))
        return;
    const std::int32_t p = card;
    switch (state_.config.cards[static_cast<std::size_t>(card - 1)].kind) {
        case CardType::Ad:
            Send(CommandCode::gadbrdtype, {{14, p}});
            for (std::int32_t ch = 1; ch <= 8; ++ch) {
                for (CommandCode code :
                     {CommandCode::gadinpmode, CommandCode::gadmute, CommandCode::gadphanpow,
                      CommandCode::gadphase, CommandCode::gadmiclevel, CommandCode::gadlinelevel,
                      CommandCode::gadsigdet, CommandCode::gadovldet}) {
                    Send(code, {{14, p}, {18, ch}});
                }
            }
            return;
        case CardType::Sdi:
            for (std::int32_t port = 1; port <= 2; ++port) {
                Send(CommandCode::gembena, {{14, p}, {18, port}});
                Send(CommandCode::gtxsrcrate, {{14, p}, {18, port}});
                for (std::int32_t group = 1; group <= 4; ++group) {
                    Send(CommandCode::gembmode, {{14, p}, {18, port}, {22, group}});
                    Send(CommandCode::grxsrcena, {{14, p}, {18, port}, {22, group}});
                }
            }
            for (std::int32_t port = 1; port <= 2; ++port)
                Send(CommandCode::gsdirxstat, {{14, p}, {18, port}});
            return;
        case CardType::Da:
            Send(CommandCode::gdadsdfilter, {{14, p}});
            for (std::int32_t ch = 1; ch <= 8; ++ch) {
                for (CommandCode code :
                     {CommandCode::gdaoutlevel, CommandCode::gdamute, CommandCode::gdasigdet,
                      CommandCode::gdaovldet, CommandCode::gdacardet}) {
                    Send(code, {{14, p}, {18, ch}});
                }
            }
            return;
        case CardType::Aes:
            for (std::int32_t in = 1; in <= 8; ++in)
                Send(CommandCode::gaesrxsrcena, {{14, p}, {18, in}});
            for (std::int32_t in = 1; in <= 8; ++in)
                Send(CommandCode::gaesinpstatus, {{14, p}, {18, in}});
            return;
        case CardType::MadiHotlink:
            for (CommandCode code : {CommandCode::gcifmode, CommandCode::gcifred, CommandCode::gchlinkinmode,
                                     CommandCode::gchlinkoutmode}) {
                Send(code, {{14, p}});
            }
            for (std::int32_t port = 1; port <= 2; ++port) {
                for (CommandCode code : {CommandCode::gcmadiinmode, CommandCode::gcmadioutmode,
                                         CommandCode::gcmadidsdmode, CommandCode::gcifinact}) {
                    Send(code, {{14, p}, {18, port}});
                }
            }
            for (std::int32_t port = 1; port <= 2; ++port)
                Send(CommandCode::gcifstatus, {{14, p}, {18, port}});
            return;
        case CardType::None:
            return;
    }
}

void Requests::CardSetting(CommandCode set, std::int32_t card, std::int32_t index, std::int32_t group) {
    if (!connection_.connected || card < 1 || card > static_cast<std::int32_t>(kCardSlots))
        return;
    for (const CardSetRow& row : kCardSets) {
        if (row.code != set)
            continue;
        const std::int32_t indexLimit = row.address == CardAddress::Channel ? 8 : 2;
        const bool indexed = row.address != CardAddress::Card;
        if (indexed && (index < 1 || index > indexLimit))
            return;
        if (row.address == CardAddress::PortAndGroup && (group < 1 || group > 4))
            return;
        CommandMessage message;
        message.SetInt(14, card);
        if (indexed)
            message.SetInt(18, index);
        if (row.address == CardAddress::PortAndGroup)
            message.SetInt(22, group);
        const std::size_t i = indexed ? static_cast<std::size_t>(index - 1) : 0;
        const std::size_t g = group > 0 ? static_cast<std::size_t>(group - 1) : 0;
        row.fill(message, state_.config.cards[static_cast<std::size_t>(card - 1)], i, g);
        SendRecord(message, set);
        return;
    }
}

std::int32_t Requests::ToolBase() const {
    return connection_.modelClass == 1 && !connection_.options.zel ? 512 : 0;
}

void Requests::LabelRuns() {
    const std::int32_t base = ToolBase();
    const std::int32_t runs = (ChannelCount(state_, connection_.modelClass) - base) / 32;
    for (std::int32_t run = 0; run < runs; ++run) {
        for (std::int32_t selector = 0; selector <= 1; ++selector) {
            Send(CommandCode::llabel, {{14, selector}, {18, base + 1 + 32 * run}, {22, 32}});
        }
    }
}

RequestProblem Requests::SetLabel(std::int32_t selector, std::int32_t channel, std::string_view text) {
    if (!connection_.connected)
        return std::nullopt;
    if (RequestProblem problem = WireTextProblem(text, 17, "A label"))
        return problem;
    SendText(CommandCode::slabel, {{14, selector}, {18, channel}}, 22, 17, text);
    return std::nullopt;
}

void Requests::GainLists() {
    const std::int32_t count = ChannelCount(state_, connection_.modelClass);
    for (std::int32_t selector = 0; selector <= 1; ++selector) {
        Send(CommandCode::lgain, {{14, selector}, {18, ToolBase() + 1}, {22, count}});
    }
}

void Requests::LevelDetectorThresholds() {
    const std::int32_t count = ChannelCount(state_, connection_.modelClass);
    for (std::int32_t selector = 0; selector <= 1; ++selector) {
        for (std::int32_t ch = ToolBase() + 1; ch <= count; ++ch) {
            Send(CommandCode::glevdetthres, {{14, selector}, {18, ch}});
        }
    }
}

void Requests::LevelDetectorRuns(CommandCode list) {
    const std::int32_t base = ToolBase();
    const std::int32_t runs = (ChannelCount(state_, connection_.modelClass) - base) / 128;
    for (std::int32_t selector = 0; selector <= 1; ++selector) {
        for (std::int32_t run = 0; run < runs; ++run)
            Send(list, {{14, selector}, {18, base + 1 + 128 * run}, {22, 128}});
    }
}

void Requests::PpmInfo(std::uint32_t id) {
    CommandMessage message;
    message.SetUint(14, id);
    SendRecord(message, CommandCode::gppminfo);
}

std::string_view Requests::DanteHostName() const {
    return state_.config.danteName.Empty() ? std::string_view("localhost") : state_.config.danteName.View();
}

RequestProblem Requests::CrossIp(std::int32_t channel, std::string_view destination) {
    const std::string_view name = destination.empty() ? DanteHostName() : destination;
    if (RequestProblem problem = WireTextProblem(name, 32, "A device name"))
        return problem;
    SendText(CommandCode::gcrossip, {{14, channel}}, 18, 32, name);
    return std::nullopt;
}

RequestProblem Requests::SetCrossIp(std::int32_t channel, std::string_view destination,
                                    std::int32_t sourceChannel, std::string_view source) {
    if (destination.empty())
        destination = DanteHostName();
    if (source.empty())
        source = DanteHostName();
    if (RequestProblem problem =
            FirstTextProblem({{destination, 32, "A device name"}, {source, 32, "A device name"}}))
        return problem;
    std::string channelText;
    if (sourceChannel != 0) {
        channelText = (sourceChannel > 0 && sourceChannel < 10 ? "0" : "") + std::to_string(sourceChannel);
    }
    CommandMessage message;
    message.SetInt(14, channel);
    message.SetText(18, 32, destination);
    message.SetText(50, 32, channelText);
    message.SetText(82, 32, source);
    SendRecord(message, CommandCode::scrossip);
    return std::nullopt;
}

void Requests::Performance() {
    CommandMessage message;
    message.SetText(14, 32, DanteHostName());
    message.SetInt(50, state_.config.danteFrame);
    message.SetInt(46, state_.config.danteLatency);
    SendRecord(message, CommandCode::sperformip);
}

void Requests::DanteQuery(CommandCode code) {
    SendText(code, {}, 14, 32, DanteHostName());
}

void Requests::FirmwareBegin() {
    Send(CommandCode::sprog, {{14, 0}});
}

void Requests::FirmwareRecord(std::string_view line) {
    CommandMessage message;
    message.SetInt(14, 1);
    // The record text runs from byte 18 to the end of the record: at most 255 characters.
    const std::size_t room = kMessageSize - 18 - 1;
    const std::size_t n = std::min(line.size(), room);
    std::copy_n(line.data(), n, reinterpret_cast<char*>(message.Bytes() + 18));
    SendRecord(message, CommandCode::sprog);
}

void Requests::FirmwareEnd() {
    Send(CommandCode::sprog, {{14, 2}});
}

void Requests::Maintenance(CommandCode code, std::optional<std::int32_t> argument) {
    if (argument) {
        Send(code, {{14, *argument}});
    } else {
        Send(code);
    }
}

}  // namespace velmar
