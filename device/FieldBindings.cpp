#include "device/FieldBindings.h"

#include <array>
#include <vector>

namespace velmar {

namespace {

// Reply argument → field, narrowing the way the frame's own byte-wide fields do.
void Load(std::int32_t& field, const CommandMessage& m, std::uint16_t pos) {
    field = m.Int(pos);
}
void Load(std::uint32_t& field, const CommandMessage& m, std::uint16_t pos) {
    field = static_cast<std::uint32_t>(m.Int(pos));
}
void Load(std::uint16_t& field, const CommandMessage& m, std::uint16_t pos) {
    field = static_cast<std::uint16_t>(m.Int(pos) & 0xFFFF);
}
void Load(std::uint8_t& field, const CommandMessage& m, std::uint16_t pos) {
    field = static_cast<std::uint8_t>(m.Int(pos) & 0xFF);
}
void Load(FixedValue& field, const CommandMessage& m, std::uint16_t pos) {
    field = m.Fixed(pos);
}
template <std::size_t N>
void Load(TextField<N>& field, const CommandMessage& m, std::uint16_t pos) {
    field.Assign(m.Text(pos, N));
}

// What a set request is filled from: the configuration alone, so that a copy being edited can
// be sent without a frame image around it.
struct ConfigOnly {
    const ConfigBlock& config;
};

template <typename T>
void Clear(T& field) {
    field = T{};
}

void Save(std::int32_t field, CommandMessage& m, std::uint16_t pos) {
    m.SetInt(pos, field);
}
void Save(std::uint32_t field, CommandMessage& m, std::uint16_t pos) {
    m.SetInt(pos, static_cast<std::int32_t>(field));
}
void Save(std::uint16_t field, CommandMessage& m, std::uint16_t pos) {
    m.SetInt(pos, field);
}
void Save(std::uint8_t field, CommandMessage& m, std::uint16_t pos) {
    m.SetInt(pos, field);
}
void Save(const FixedValue& field, CommandMessage& m, std::uint16_t pos) {
    m.SetFixed(pos, field);
}
template <std::size_t N>
void Save(const TextField<N>& field, CommandMessage& m, std::uint16_t pos) {
    m.SetText(pos, N, field.View());
}

// Stores a reply's field into `expr`, or clears it where the status rule says so.
#define VELMAR_LOAD(expr)                                                                        \
    [](DeviceState& s, [[maybe_unused]] std::size_t k, const CommandMessage& m, std::uint16_t p, \
       bool zero) {                                                                              \
        if (zero) {                                                                              \
            Clear(expr);                                                                         \
        } else {                                                                                 \
            Load(expr, m, p);                                                                    \
        }                                                                                        \
    }
// `expr` names the field in terms of `s` (the state) and `k` (the 0-based key); `name` is what a
// text field is called when it is refused.
#define VELMAR_BIND_NAMED(get, set, pos, rule, from, first, last, expr, name)                              \
    FieldBinding {                                                                                         \
        CommandCode::get, CommandCode::set, pos, StatusRule::rule, StoredFrom::from, first, last,          \
            VELMAR_LOAD(expr),                                                                             \
            [](const ConfigBlock& c, [[maybe_unused]] std::size_t k, CommandMessage& m, std::uint16_t p) { \
                const ConfigOnly s{c};                                                                     \
                Save(expr, m, p);                                                                          \
            },                                                                                             \
            name                                                                                           \
    }
// A field of the live block: the frame reports it and nothing sets it.
#define VELMAR_REPORT(get, pos, rule, expr)                                                 \
    FieldBinding {                                                                          \
        CommandCode::get, CommandCode::error, pos, StatusRule::rule, StoredFrom::Get, 0, 0, \
            VELMAR_LOAD(expr), nullptr, {}                                                  \
    }
#define VELMAR_BIND(get, set, pos, rule, from, first, last, expr) \
    VELMAR_BIND_NAMED(get, set, pos, rule, from, first, last, expr, {})
#define VELMAR_FIELD(get, set, pos, rule, from, expr) \
    VELMAR_BIND_NAMED(get, set, pos, rule, from, 0, 0, expr, {})
#define VELMAR_TEXT(get, set, pos, rule, from, expr, name) \
    VELMAR_BIND_NAMED(get, set, pos, rule, from, 0, 0, expr, name)

// `error` stands for "no set word": the field is only reported by the frame.
const std::array kFields{
    // Identity and network.
    VELMAR_FIELD(gdevid, sdevid, 14, Unchanged, Both, s.config.deviceId),
    VELMAR_TEXT(gdevid, sdevid, 18, Unchanged, Both, s.config.deviceName, "A device name"),
    VELMAR_FIELD(gip, sip, 14, Unchanged, Get, s.config.lan.dhcp),
    VELMAR_TEXT(gip, sip, 18, Unchanged, Get, s.config.lan.ip, "An IP address"),
    VELMAR_TEXT(gip, sip, 34, Unchanged, Get, s.config.lan.subnet, "A subnet mask"),
    VELMAR_TEXT(gip, sip, 50, Unchanged, Get, s.config.lan.gateway, "A gateway address"),
    VELMAR_FIELD(gip, error, 66, Unchanged, Get, s.config.lan.mac),
    VELMAR_FIELD(galivetime, salivetime, 14, ZeroOnError, Get, s.config.aliveTime),
    VELMAR_FIELD(gsystemdelay, ssystemdelay, 14, ZeroOnError, Get, s.config.systemDelay),
    VELMAR_FIELD(gpsuconf, spsuconf, 18, ZeroOnError, Both, s.config.psuConf),
    VELMAR_FIELD(gfanconf, sfanconf, 18, ZeroOnError, Both, s.config.fanConf),
    // Clock and sync.
    VELMAR_FIELD(ggenrate, sgenrate, 14, ZeroOnError, Both, s.config.sampleRate),
    VELMAR_FIELD(grateadptsrc, srateadptsrc, 14, ZeroOnError, Both, s.config.sampleRateAdaptSrc),
    VELMAR_FIELD(gwclkout, swclkout, 14, ZeroOnError, Both, s.config.wordClkOutMode),
    VELMAR_FIELD(gsyncterm, ssyncterm, 14, ZeroOnError, Get, s.config.syncTermEnable),
    VELMAR_BIND(gsyncprio, ssyncprio, 18, Unchanged, Get, 2, 18, s.config.syncPrio[k]),
    VELMAR_REPORT(gactrate, 14, ZeroOnError, s.live.actualRate),
    // Interfaces.
    VELMAR_FIELD(gaeschstat, saeschstat, 14, ZeroOnError, Both, s.config.aesChnStMode),
    VELMAR_BIND(gmadiinmode, smadiinmode, 18, Unchanged, Get, 1, 3, s.config.madiIn[k].mode),
    VELMAR_BIND(gmadioutmode, smadioutmode, 22, Unchanged, Get, 1, 3, s.config.madiOut[k].chnSt),
    VELMAR_BIND(gmadioutmode, smadioutmode, 26, Unchanged, Get, 1, 3, s.config.madiOut[k].legFr),
    VELMAR_BIND(gmadioutmode, smadioutmode, 30, Unchanged, Get, 1, 3, s.config.madiOut[k].mode),
    VELMAR_BIND(gmadidsdmode, smadidsdmode, 34, Unchanged, Get, 1, 3, s.config.madiOut[k].dsdMode),
    VELMAR_FIELD(gphdmode, sphdmode, 14, Unchanged, Get, s.config.phd.portCfg),
    VELMAR_FIELD(gphdmode, sphdmode, 18, Unchanged, Get, s.config.phd.emuMode1),
    VELMAR_FIELD(gphdmode, sphdmode, 22, Unchanged, Get, s.config.phd.emuMode2),
    VELMAR_FIELD(goptred, soptred, 14, Unchanged, Get, s.config.redundancyEnable),
    VELMAR_FIELD(goptred, soptred, 18, Unchanged, Get, s.config.redundancyMode),
    VELMAR_BIND(goptmode, soptmode, 18, Unchanged, Get, 1, 2, s.config.optMode[k].mode),
    VELMAR_BIND(ghlinkinmode, shlinkinmode, 18, Unchanged, Get, 1, 2, s.config.hlinkInMode[k].mode),
    VELMAR_BIND(ghlinkoutmode, shlinkoutmode, 18, Unchanged, Get, 1, 2, s.config.hlinkOutMode[k].mode),
    // Dante module.
    VELMAR_FIELD(gbkip, sbkip, 14, ZeroOnError, Get, s.config.danteLan.dhcp),
    VELMAR_TEXT(gbkip, sbkip, 18, ZeroOnError, Get, s.config.danteLan.ip, "An IP address"),
    VELMAR_TEXT(gbkip, sbkip, 34, ZeroOnError, Get, s.config.danteLan.subnet, "A subnet mask"),
    VELMAR_TEXT(gbkip, sbkip, 50, ZeroOnError, Get, s.config.danteLan.gateway, "A gateway address"),
    VELMAR_TEXT(gbkip, sbkip, 66, ZeroOnError, Get, s.config.danteLan.dns, "A DNS server address"),
    VELMAR_FIELD(gbkip, error, 82, ZeroOnError, Get, s.config.danteLan.mac),
    VELMAR_FIELD(gbksecip, sbksecip, 14, ZeroOnError, Get, s.config.danteSecLan.dhcp),
    VELMAR_TEXT(gbksecip, sbksecip, 18, ZeroOnError, Get, s.config.danteSecLan.ip, "An IP address"),
    VELMAR_TEXT(gbksecip, sbksecip, 34, ZeroOnError, Get, s.config.danteSecLan.subnet, "A subnet mask"),
    VELMAR_TEXT(gbksecip, sbksecip, 50, ZeroOnError, Get, s.config.danteSecLan.gateway, "A gateway address"),
    VELMAR_TEXT(gbksecip, sbksecip, 66, ZeroOnError, Get, s.config.danteSecLan.dns, "A DNS server address"),
    VELMAR_FIELD(gbksecip, error, 82, ZeroOnError, Get, s.config.danteSecLan.mac),
    VELMAR_TEXT(gbkname, sbkname, 14, ZeroOnError, Get, s.config.danteName, "A Dante device name"),
    VELMAR_FIELD(gswmodeip, sswmodeip, 14, ZeroOnError, Both, s.config.danteSwMode),
    VELMAR_FIELD(gsrenaip, ssrenaip, 14, ZeroOnError, Both, s.config.danteSRate),
    VELMAR_FIELD(guniclkip, suniclkip, 14, ZeroOnError, Both, s.config.danteUniClk),
    VELMAR_FIELD(gautorouteip, sautorouteip, 14, ZeroOnError, Both, s.config.danteAutoRoute),
};

#undef VELMAR_REPORT
#undef VELMAR_TEXT
#undef VELMAR_FIELD
#undef VELMAR_BIND
#undef VELMAR_BIND_NAMED
#undef VELMAR_LOAD

#define VELMAR_CARD_FIELD(get, set, index, pos, mode, from, expr)                                   \
    CardFieldBinding {                                                                              \
        CommandCode::get, CommandCode::set, CardIndex::index, pos, mode, StoredFrom::from,          \
            [](CardRecord& c, [[maybe_unused]] std::size_t i, [[maybe_unused]] std::size_t g,       \
               const CommandMessage& m, std::uint16_t p) { Load(expr, m, p); },                     \
            [](const CardRecord& c, [[maybe_unused]] std::size_t i, [[maybe_unused]] std::size_t g, \
               CommandMessage& m, std::uint16_t p) { Save(expr, m, p); }                            \
    }

const std::array kCardFields{
    VELMAR_CARD_FIELD(gadbrdtype, error, Card, 22, 0, Get, c.mode),
    VELMAR_CARD_FIELD(gadinpmode, sadinpmode, Channel, 22, 0, Get, c.ad[i].inputMode),
    VELMAR_CARD_FIELD(gadmute, sadmute, Channel, 22, 0, Get, c.ad[i].mute),
    VELMAR_CARD_FIELD(gadphanpow, sadphanpow, Channel, 22, 0, Get, c.ad[i].phantomPower),
    VELMAR_CARD_FIELD(gadphase, sadphase, Channel, 22, 0, Get, c.ad[i].phase),
    VELMAR_CARD_FIELD(gadmiclevel, sadmiclevel, Channel, 22, 0, Get, c.ad[i].micLevel),
    VELMAR_CARD_FIELD(gadlinelevel, sadlinelevel, Channel, 22, 0, Get, c.ad[i].lineLevel),
    VELMAR_CARD_FIELD(gdaoutlevel, sdaoutlevel, Channel, 22, 0, Get, c.da[i].outLevel),
    VELMAR_CARD_FIELD(gdamute, sdamute, Channel, 22, 0, Get, c.da[i].mute),
    // One filter for the whole card, mirrored into every channel row.
    CardFieldBinding{CommandCode::gdadsdfilter, CommandCode::sdadsdfilter, CardIndex::Card, 22, 0,
                     StoredFrom::Get,
                     [](CardRecord& c, std::size_t, std::size_t, const CommandMessage& m, std::uint16_t p) {
                         for (DaChannel& channel : c.da)
                             Load(channel.dsdFilter, m, p);
                     },
                     [](const CardRecord& c, std::size_t, std::size_t, CommandMessage& m, std::uint16_t p) {
                         Save(c.da[0].dsdFilter, m, p);
                     }},
    VELMAR_CARD_FIELD(gembena, sembena, Port, 26, 0, Get, c.sdi[i].embEnable),
    VELMAR_CARD_FIELD(gtxsrcrate, stxsrcrate, Port, 26, 0, Get, c.sdi[i].txSrcRate),
    VELMAR_CARD_FIELD(gembmode, sembmode, PortAndGroup, 26, 0, Get, c.sdi[i].embMode[g]),
    VELMAR_CARD_FIELD(grxsrcena, srxsrcena, PortAndGroup, 26, 0, Get, c.sdi[i].rxSrcEnable[g]),
    VELMAR_CARD_FIELD(gaesrxsrcena, saesrxsrcena, Channel, 22, 0, Get, c.aesRxSrcEnable[i]),
    VELMAR_CARD_FIELD(gcifmode, scifmode, Card, 18, 0, Both, c.mode),
    VELMAR_CARD_FIELD(gcifred, scifred, Card, 18, 0, Both, c.madi.redundancyEnable),
    VELMAR_CARD_FIELD(gcifred, scifred, Card, 22, 0, Both, c.madi.redundancyMode),
    VELMAR_CARD_FIELD(gcmadiinmode, scmadiinmode, Port, 22, 1, Get, c.madi.ports[i].inMode),
    VELMAR_CARD_FIELD(gcmadioutmode, scmadioutmode, Port, 26, 1, Get, c.madi.ports[i].outChnSt),
    VELMAR_CARD_FIELD(gcmadioutmode, scmadioutmode, Port, 30, 1, Get, c.madi.ports[i].outLegFr),
    VELMAR_CARD_FIELD(gcmadioutmode, scmadioutmode, Port, 34, 1, Get, c.madi.ports[i].outMode),
    VELMAR_CARD_FIELD(gcmadidsdmode, scmadidsdmode, Port, 38, 1, Get, c.madi.ports[i].dsdMode),
    VELMAR_CARD_FIELD(gchlinkinmode, schlinkinmode, Card, 18, 2, Get, c.madi.HotlinkIn()),
    VELMAR_CARD_FIELD(gchlinkoutmode, schlinkoutmode, Card, 18, 2, Get, c.madi.HotlinkOut()),
};

#undef VELMAR_CARD_FIELD

bool InRange(std::int32_t value, std::int32_t first, std::int32_t last) {
    return value >= first && value <= last;
}

template <typename Binding>
bool Stores(const Binding& field, std::uint16_t code) {
    const bool get = ToCode(field.get) == code;
    const bool set = field.set != CommandCode::error && ToCode(field.set) == code;
    switch (field.from) {
        case StoredFrom::Get:
            return get;
        case StoredFrom::Set:
            return set;
        case StoredFrom::Both:
            return get || set;
    }
    return false;
}

// The 0-based entry a card word addresses; false when the reply names none in range.
bool CardEntry(CardIndex index, const CommandMessage& m, std::size_t& entry, std::size_t& group) {
    entry = 0;
    group = 0;
    switch (index) {
        case CardIndex::Card:
            return true;
        case CardIndex::Channel:
            if (!InRange(m.Int(18), 1, static_cast<std::int32_t>(kCardChannels)))
                return false;
            entry = static_cast<std::size_t>(m.Int(18) - 1);
            return true;
        case CardIndex::PortAndGroup:
            if (!InRange(m.Int(22), 1, 4))
                return false;
            group = static_cast<std::size_t>(m.Int(22) - 1);
            [[fallthrough]];
        case CardIndex::Port:
            if (!InRange(m.Int(18), 1, static_cast<std::int32_t>(kCardPorts)))
                return false;
            entry = static_cast<std::size_t>(m.Int(18) - 1);
            return true;
    }
    return false;
}

// The rows each word touches, worked out once: replies and requests then look at their own
// rows only instead of walking the whole table.
template <typename Binding, std::size_t N>
class RowIndex {
  public:
    explicit RowIndex(const std::array<Binding, N>& rows) {
        for (std::size_t i = 0; i < N; ++i) {
            for (std::uint16_t code = 0; code < kCommandCount; ++code) {
                if (Stores(rows[i], code))
                    stores_[code].push_back(&rows[i]);
            }
            if (rows[i].set != CommandCode::error)
                sets_[ToCode(rows[i].set)].push_back(&rows[i]);
        }
    }
    std::span<const Binding* const> Storing(std::uint16_t code) const {
        return code < kCommandCount ? std::span<const Binding* const>(stores_[code])
                                    : std::span<const Binding* const>();
    }
    std::span<const Binding* const> Setting(CommandCode set) const { return sets_[ToCode(set)]; }

  private:
    std::array<std::vector<const Binding*>, kCommandCount> stores_;
    std::array<std::vector<const Binding*>, kCommandCount> sets_;
};

const RowIndex<FieldBinding, kFields.size()>& FieldIndex() {
    static const RowIndex<FieldBinding, kFields.size()> index(kFields);
    return index;
}

const RowIndex<CardFieldBinding, kCardFields.size()>& CardIndexOfRows() {
    static const RowIndex<CardFieldBinding, kCardFields.size()> index(kCardFields);
    return index;
}

}  // namespace

std::span<const FieldBinding> FieldBindings() {
    return kFields;
}

std::span<const CardFieldBinding> CardFieldBindings() {
    return kCardFields;
}

bool StoreBoundFields(DeviceState& state, const CommandMessage& reply) {
    bool stored = false;
    for (const FieldBinding* row : FieldIndex().Storing(reply.code)) {
        const FieldBinding& field = *row;
        std::size_t key = 0;
        if (field.Keyed()) {
            if (!InRange(reply.Int(14), field.firstKey, field.lastKey))
                return false;
            key = static_cast<std::size_t>(reply.Int(14) - field.firstKey);
        }
        const bool failed = reply.status != 0;
        if (failed && field.rule == StatusRule::Unchanged)
            continue;
        field.load(state, key, reply, field.pos, failed && field.rule == StatusRule::ZeroOnError);
        stored = true;
    }
    return stored;
}

bool StoreBoundCardFields(DeviceState& state, const CommandMessage& reply) {
    const std::int32_t card = reply.Int(14);
    if (reply.status != 0 || !InRange(card, 1, static_cast<std::int32_t>(kCardSlots)))
        return false;
    CardRecord& record = state.config.cards[static_cast<std::size_t>(card - 1)];
    bool stored = false;
    for (const CardFieldBinding* row : CardIndexOfRows().Storing(reply.code)) {
        const CardFieldBinding& field = *row;
        if (field.requiredMode != 0 && record.mode != field.requiredMode)
            continue;
        std::size_t entry = 0;
        std::size_t group = 0;
        if (!CardEntry(field.index, reply, entry, group))
            return false;
        field.load(record, entry, group, reply, field.pos);
        stored = true;
    }
    return stored;
}

bool FillSetRequest(const ConfigBlock& config, CommandCode set, std::int32_t key, CommandMessage& request) {
    bool filled = false;
    for (const FieldBinding* row : FieldIndex().Setting(set)) {
        const FieldBinding& field = *row;
        std::size_t index = 0;
        if (field.Keyed()) {
            if (!InRange(key, field.firstKey, field.lastKey))
                return false;
            index = static_cast<std::size_t>(key - field.firstKey);
            request.SetInt(14, key);
        }
        field.save(config, index, request, field.pos);
        filled = true;
    }
    return filled;
}

bool FillCardSetRequest(const ConfigBlock& config, CommandCode set, std::int32_t card, std::int32_t index,
                        std::int32_t group, CommandMessage& request) {
    if (!InRange(card, 1, static_cast<std::int32_t>(kCardSlots)))
        return false;
    const CardRecord& record = config.cards[static_cast<std::size_t>(card - 1)];
    bool filled = false;
    for (const CardFieldBinding* row : CardIndexOfRows().Setting(set)) {
        const CardFieldBinding& field = *row;
        request.SetInt(14, card);
        if (field.index != CardIndex::Card)
            request.SetInt(18, index);
        if (field.index == CardIndex::PortAndGroup)
            request.SetInt(22, group);
        std::size_t entry = 0;
        std::size_t entryGroup = 0;
        if (!CardEntry(field.index, request, entry, entryGroup))
            return false;
        field.save(record, entry, entryGroup, request, field.pos);
        filled = true;
    }
    return filled;
}

}  // namespace velmar
