#include "device/Dispatcher.h"

#include <string>

#include "device/DeviceModel.h"

namespace velmar {

namespace {

using namespace std::chrono_literals;

enum class StatusRule : std::uint8_t {
    Unchanged,     // a non-zero status changes nothing
    ZeroOnError,   // a non-zero status stores 0
    NoStatusTest,  // stored whatever the status
};

enum class Panel : std::uint8_t { None, Rate };

struct FieldStore {
    std::uint16_t pos = 0;
    void (*store)(DeviceState&, std::int32_t) = nullptr;
};

// The replies that copy one to three argument words into fixed fields.
struct StoreRule {
    CommandCode code;
    StatusRule rule;
    std::array<FieldStore, 3> fields;
    Panel panel = Panel::None;
};

#define VELMAR_FIELD(pos, expr)                               \
    FieldStore {                                              \
        pos, [](DeviceState& s, std::int32_t v) { expr = v; } \
    }
#define VELMAR_UFIELD(pos, expr)                                                          \
    FieldStore {                                                                          \
        pos, [](DeviceState& s, std::int32_t v) { expr = static_cast<std::uint32_t>(v); } \
    }

const std::array kStoreRules{
    StoreRule{CommandCode::gsystemdelay, StatusRule::ZeroOnError, {VELMAR_FIELD(14, s.config.systemDelay)}},
    StoreRule{CommandCode::galivetime, StatusRule::ZeroOnError, {VELMAR_FIELD(14, s.config.aliveTime)}},
    StoreRule{CommandCode::ggenrate, StatusRule::ZeroOnError, {VELMAR_FIELD(14, s.config.sampleRate)}},
    StoreRule{CommandCode::sgenrate, StatusRule::ZeroOnError, {VELMAR_FIELD(14, s.config.sampleRate)}},
    StoreRule{
        CommandCode::grateadptsrc, StatusRule::ZeroOnError, {VELMAR_FIELD(14, s.config.sampleRateAdaptSrc)}},
    StoreRule{
        CommandCode::srateadptsrc, StatusRule::ZeroOnError, {VELMAR_FIELD(14, s.config.sampleRateAdaptSrc)}},
    StoreRule{CommandCode::gwclkout, StatusRule::ZeroOnError, {VELMAR_FIELD(14, s.config.wordClkOutMode)}},
    StoreRule{CommandCode::swclkout, StatusRule::ZeroOnError, {VELMAR_FIELD(14, s.config.wordClkOutMode)}},
    StoreRule{CommandCode::gaeschstat, StatusRule::ZeroOnError, {VELMAR_FIELD(14, s.config.aesChnStMode)}},
    StoreRule{CommandCode::saeschstat, StatusRule::ZeroOnError, {VELMAR_FIELD(14, s.config.aesChnStMode)}},
    StoreRule{CommandCode::gsyncterm, StatusRule::ZeroOnError, {VELMAR_FIELD(14, s.config.syncTermEnable)}},
    StoreRule{
        CommandCode::gactrate, StatusRule::ZeroOnError, {VELMAR_FIELD(14, s.live.actualRate)}, Panel::Rate},
    StoreRule{CommandCode::spsuconf, StatusRule::ZeroOnError, {VELMAR_UFIELD(18, s.config.psuConf)}},
    StoreRule{CommandCode::sfanconf, StatusRule::ZeroOnError, {VELMAR_UFIELD(18, s.config.fanConf)}},
    StoreRule{CommandCode::gswmodeip, StatusRule::ZeroOnError, {VELMAR_FIELD(14, s.config.danteSwMode)}},
    StoreRule{CommandCode::sswmodeip, StatusRule::ZeroOnError, {VELMAR_FIELD(14, s.config.danteSwMode)}},
    StoreRule{CommandCode::gsrenaip, StatusRule::ZeroOnError, {VELMAR_FIELD(14, s.config.danteSRate)}},
    StoreRule{CommandCode::ssrenaip, StatusRule::ZeroOnError, {VELMAR_FIELD(14, s.config.danteSRate)}},
    StoreRule{CommandCode::suniclkip, StatusRule::ZeroOnError, {VELMAR_FIELD(14, s.config.danteUniClk)}},
    StoreRule{CommandCode::gmaxlatencyip, StatusRule::NoStatusTest, {VELMAR_FIELD(46, s.live.maxLatency)}},
    StoreRule{CommandCode::grxportrng,
              StatusRule::ZeroOnError,
              {VELMAR_FIELD(14, s.live.rxPortFirst), VELMAR_FIELD(18, s.live.rxPortLast)}},
    StoreRule{CommandCode::gphdmode,
              StatusRule::Unchanged,
              {VELMAR_FIELD(14, s.config.phd.portCfg), VELMAR_FIELD(18, s.config.phd.emuMode1),
               VELMAR_FIELD(22, s.config.phd.emuMode2)}},
};

#undef VELMAR_FIELD
#undef VELMAR_UFIELD

// How a card-setting reply names the entry it sets, after the card in int:14.
enum class CardIndex : std::uint8_t {
    None,          // the card itself
    Channel,       // int:18, 1..8
    Port,          // int:18, 1..2
    PortAndGroup,  // int:18, 1..2 and int:22, 1..4
};

enum class CardAfter : std::uint8_t { None, RebuildSelectors, CardRedundancy };

// The card replies that store into the card record; `requiredMode` 1 or 2 limits a row to a
// MADI or a Hotlink card.
struct CardRule {
    CommandCode code;
    CardIndex index;
    std::uint16_t requiredMode;
    void (*store)(CardRecord&, std::size_t index, std::size_t group, const CommandMessage&);
    CardAfter after = CardAfter::None;
};

std::uint8_t LowByte(std::int32_t value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}
std::uint16_t Low16(std::int32_t value) {
    return static_cast<std::uint16_t>(value & 0xFFFF);
}

#define VELMAR_CARD(code, index, mode, body)                                                  \
    CardRule {                                                                                \
        CommandCode::code, CardIndex::index, mode,                                            \
            [](CardRecord& c, [[maybe_unused]] std::size_t i, [[maybe_unused]] std::size_t g, \
               const CommandMessage& m) { body; }                                             \
    }

const std::array kCardRules {
    VELMAR_CARD(gadbrdtype, None, 0, c.mode = Low16(m.Int(22))),
        VELMAR_CARD(gadinpmode, Channel, 0, c.ad[i].inputMode = LowByte(m.Int(22))),
        VELMAR_CARD(gadmute, Channel, 0, c.ad[i].mute = LowByte(m.Int(22))),
        VELMAR_CARD(gadphanpow, Channel, 0, c.ad[i].phantomPower = LowByte(m.Int(22))),
        VELMAR_CARD(gadphase, Channel, 0, c.ad[i].phase = LowByte(m.Int(22))),
        VELMAR_CARD(gadmiclevel, Channel, 0, c.ad[i].micLevel = m.Fixed(22)),
        VELMAR_CARD(gadlinelevel, Channel, 0, c.ad[i].lineLevel = m.Fixed(22)),
        VELMAR_CARD(gdaoutlevel, Channel, 0, c.da[i].outLevel = m.Fixed(22)),
        VELMAR_CARD(gdamute, Channel, 0, c.da[i].mute = LowByte(m.Int(22))),
        VELMAR_CARD(gdadsdfilter, None, 0,
                    for (DaChannel& ch
                         : c.da) ch.dsdFilter = LowByte(m.Int(22))),
        VELMAR_CARD(gembena, Port, 0, c.sdi[i].embEnable = Low16(m.Int(26))),
        VELMAR_CARD(gtxsrcrate, Port, 0, c.sdi[i].txSrcRate = Low16(m.Int(26))),
        VELMAR_CARD(gembmode, PortAndGroup, 0, c.sdi[i].embMode[g] = LowByte(m.Int(26))),
        VELMAR_CARD(grxsrcena, PortAndGroup, 0, c.sdi[i].rxSrcEnable[g] = LowByte(m.Int(26))),
        VELMAR_CARD(gaesrxsrcena, Channel, 0, c.aesRxSrcEnable[i] = m.Int(22)),
        CardRule{CommandCode::gcifmode, CardIndex::None, 0,
                 [](CardRecord& c, std::size_t, std::size_t, const CommandMessage& m) {
                     c.mode = Low16(m.Int(18));
                 },
                 CardAfter::RebuildSelectors},
        CardRule{CommandCode::scifmode, CardIndex::None, 0,
                 [](CardRecord& c, std::size_t, std::size_t, const CommandMessage& m) {
                     c.mode = Low16(m.Int(18));
                 },
                 CardAfter::RebuildSelectors},
        CardRule{CommandCode::gcifred, CardIndex::None, 0,
                 [](CardRecord& c, std::size_t, std::size_t, const CommandMessage& m) {
                     c.madi.redundancyEnable = LowByte(m.Int(18));
                     c.madi.redundancyMode = LowByte(m.Int(22));
                 },
                 CardAfter::CardRedundancy},
        CardRule{CommandCode::scifred, CardIndex::None, 0,
                 [](CardRecord& c, std::size_t, std::size_t, const CommandMessage& m) {
                     c.madi.redundancyEnable = LowByte(m.Int(18));
                     c.madi.redundancyMode = LowByte(m.Int(22));
                 },
                 CardAfter::CardRedundancy},
        VELMAR_CARD(gcmadiinmode, Port, 1, c.madi.ports[i].inMode = LowByte(m.Int(22))),
        VELMAR_CARD(
            gcmadioutmode, Port, 1,
            (c.madi.ports[i].outChnSt = LowByte(m.Int(26)), c.madi.ports[i].outLegFr = LowByte(m.Int(30)),
             c.madi.ports[i].outMode = LowByte(m.Int(34)))),
        VELMAR_CARD(gcmadidsdmode, Port, 1, c.madi.ports[i].dsdMode = LowByte(m.Int(38))),
        VELMAR_CARD(gchlinkinmode, None, 2, c.madi.HotlinkIn() = LowByte(m.Int(18))),
        VELMAR_CARD(gchlinkoutmode, None, 2, c.madi.HotlinkOut() = LowByte(m.Int(18))),
};

#undef VELMAR_CARD

bool InRange(std::int32_t value, std::int32_t first, std::int32_t last) {
    return value >= first && value <= last;
}
std::size_t At(std::int32_t oneBased) {
    return static_cast<std::size_t>(oneBased - 1);
}

}  // namespace

Dispatcher::Dispatcher(DeviceState& state, ConnectionState& connection, const MessageCodec& codec,
                       Requests& requests, TimerService& timers, ViewRegistry& views,
                       std::function<void()> retitle)
    : state_(state),
      connection_(connection),
      codec_(codec),
      requests_(requests),
      timers_(timers),
      views_(views),
      retitle_(std::move(retitle)) {
    for (std::size_t i = 0; i < kStoreRules.size(); ++i) {
        On(kStoreRules[i].code, &Dispatcher::StoreRow);
        rowIndex_[ToCode(kStoreRules[i].code)] = static_cast<std::uint8_t>(i);
    }
    for (std::size_t i = 0; i < kCardRules.size(); ++i) {
        On(kCardRules[i].code, &Dispatcher::CardSettingRow);
        rowIndex_[ToCode(kCardRules[i].code)] = static_cast<std::uint8_t>(i);
    }
    using C = CommandCode;
    On(C::gdevinfo, &Dispatcher::DevInfo);
    On(C::sdevinfo, &Dispatcher::DevInfo);
    On(C::gdevid, &Dispatcher::DevId);
    On(C::sdevid, &Dispatcher::DevId);
    On(C::gip, &Dispatcher::Lan);
    On(C::ghwconf, &Dispatcher::HwConf);
    On(C::gswver, &Dispatcher::SwVer);
    On(C::gdevfeature, &Dispatcher::DevFeature);
    On(C::gsyncprio, &Dispatcher::SyncPrio);
    On(C::lsyncprio, &Dispatcher::SyncPrioList);
    On(C::gsyncstat, &Dispatcher::SyncStat);
    On(C::gpsuconf, &Dispatcher::PsuConf);
    On(C::gfanconf, &Dispatcher::FanConf);
    On(C::gpsustatus, &Dispatcher::PsuStatus);
    On(C::gfanstatus, &Dispatcher::FanStatus);
    On(C::gmadiinmode, &Dispatcher::MadiIn);
    On(C::gmadioutmode, &Dispatcher::MadiOut);
    On(C::gmadidsdmode, &Dispatcher::MadiDsd);
    On(C::goptmode, &Dispatcher::OptMode);
    On(C::goptred, &Dispatcher::OptRed);
    On(C::soptred, &Dispatcher::OptRedSet);
    On(C::goptinact, &Dispatcher::OptInact);
    On(C::ghlinkinmode, &Dispatcher::HlinkMode);
    On(C::ghlinkoutmode, &Dispatcher::HlinkMode);
    On(C::gbkip, &Dispatcher::DanteLan);
    On(C::gbksecip, &Dispatcher::DanteLan);
    On(C::gbkname, &Dispatcher::DanteName);
    On(C::guniclkip, &Dispatcher::UniClk);
    On(C::guniclkstip, &Dispatcher::UniClkStatus);
    On(C::gautorouteip, &Dispatcher::AutoRoute);
    On(C::sautorouteip, &Dispatcher::AutoRoute);
    On(C::gframeip, &Dispatcher::FrameOrLatency);
    On(C::glatencyip, &Dispatcher::FrameOrLatency);
    On(C::sperformip, &Dispatcher::Perform);
    On(C::gcrossip, &Dispatcher::CrossIp);
    On(C::scrossip, &Dispatcher::CrossIp);
    On(C::gcross, &Dispatcher::Cross);
    On(C::scross, &Dispatcher::CrossSet);
    On(C::lcross, &Dispatcher::CrossList);
    On(C::glabel, &Dispatcher::Label);
    On(C::slabel, &Dispatcher::Label);
    On(C::llabel, &Dispatcher::LabelList);
    On(C::ggain, &Dispatcher::Gain);
    On(C::sgain, &Dispatcher::Gain);
    On(C::gadsigdet, &Dispatcher::AdSignal);
    On(C::gadovldet, &Dispatcher::AdSignal);
    On(C::gsdirxstat, &Dispatcher::SdiRxStatus);
    On(C::gaesinpstatus, &Dispatcher::AesInputStatus);
    On(C::gcifinact, &Dispatcher::CardInactive);
    On(C::gcifstatus, &Dispatcher::CardIfStatus);
    On(C::gmaininpstatus, &Dispatcher::MainInputStatus);
    On(C::lmaininpstatus, &Dispatcher::MainInputStatusList);
    On(C::gcrtxflow, &Dispatcher::TxFlow);
    On(C::scrtxflow, &Dispatcher::TxFlow);
    On(C::gcrrxflow, &Dispatcher::RxFlow);
    On(C::scrrxflow, &Dispatcher::RxFlow);
    On(C::gtxflowslot, &Dispatcher::FlowSlot);
    On(C::stxflowslot, &Dispatcher::FlowSlot);
    On(C::grxflowslot, &Dispatcher::FlowSlot);
    On(C::srxflowslot, &Dispatcher::FlowSlot);
    On(C::gscr, &Dispatcher::Scr);
    On(C::glevdetthres, &Dispatcher::LevDetThresholds);
    On(C::slevdetthres, &Dispatcher::LevDetThresholds);
    On(C::glevdetstate, &Dispatcher::LevDetValue);
    On(C::slevdetstate, &Dispatcher::LevDetValue);
    On(C::glevdetstatus, &Dispatcher::LevDetValue);
    On(C::llevdetstate, &Dispatcher::LevDetList);
    On(C::llevdetstatus, &Dispatcher::LevDetList);
    for (C code : {C::gppmchn, C::sppmchn, C::gppmextchn, C::sppmextchn, C::gppmenable, C::sppmenable,
                   C::gppminfo, C::sppmcreate, C::sppmdelete}) {
        On(code, &Dispatcher::Ppm);
    }
    On(C::lppmid, &Dispatcher::PpmIdList);
    On(C::sprog, &Dispatcher::Prog);
}

void Dispatcher::Dispatch(const CommandMessage& message, bool isReply) {
    // Keep-alive, error and failed lines (codes 0, 1 and 179 and beyond) carry nothing to apply.
    if (message.code < 2 || message.code >= kCommandCount)
        return;
    const Handler handler = handlers_[message.code];
    if (handler != nullptr)
        (this->*handler)(message, isReply);
}

std::int32_t Dispatcher::Channels() const {
    return ChannelCount(state_, connection_.modelClass);
}

void Dispatcher::StoreRow(const CommandMessage& m, bool) {
    const StoreRule& rule = kStoreRules[rowIndex_[m.code]];
    const bool failed = m.status != 0;
    if (failed && rule.rule == StatusRule::Unchanged)
        return;
    const bool zero = failed && rule.rule == StatusRule::ZeroOnError;
    for (const FieldStore& field : rule.fields) {
        if (field.store != nullptr)
            field.store(state_, zero ? 0 : m.Int(field.pos));
    }
    if (rule.panel == Panel::Rate && views_.statusPanel != nullptr)
        views_.statusPanel->RefreshRateText();
}

void Dispatcher::CardSettingRow(const CommandMessage& m, bool) {
    if (m.status != 0)
        return;
    const CardRule& rule = kCardRules[rowIndex_[m.code]];
    const std::int32_t card = m.Int(14);
    if (!InRange(card, 1, static_cast<std::int32_t>(kCardSlots)))
        return;
    std::size_t index = 0;
    std::size_t group = 0;
    switch (rule.index) {
        case CardIndex::None:
            break;
        case CardIndex::Channel:
            if (!InRange(m.Int(18), 1, 8))
                return;
            index = At(m.Int(18));
            break;
        case CardIndex::PortAndGroup:
            if (!InRange(m.Int(22), 1, 4))
                return;
            group = At(m.Int(22));
            [[fallthrough]];
        case CardIndex::Port:
            if (!InRange(m.Int(18), 1, 2))
                return;
            index = At(m.Int(18));
            break;
    }
    CardRecord& record = state_.config.cards[At(card)];
    if (rule.requiredMode != 0 && record.mode != rule.requiredMode)
        return;
    rule.store(record, index, group, m);
    if (rule.after == CardAfter::RebuildSelectors && views_.matrix != nullptr) {
        views_.matrix->RebuildTypeSelectors();
    } else if (rule.after == CardAfter::CardRedundancy && views_.inputStatus != nullptr) {
        if (views_.inputStatus->CardRedundancy(card) != m.Int(18)) {
            views_.inputStatus->SetCardRedundancy(card, m.Int(18));
            views_.inputStatus->RefreshAll();
        }
    }
}

void Dispatcher::DevInfo(const CommandMessage& m, bool) {
    if (m.status != 0)
        return;
    velmar::DevInfo& info = state_.config.devInfo;
    info.type.Assign(m.Text(14, 7));
    info.model = m.Int(22);
    info.serial.Assign(m.Text(26, 17));
    if (views_.mainWindow != nullptr) {
        views_.mainWindow->SetConnectedRowText(3, info.type.View());
        views_.mainWindow->SetConnectedRowText(4, info.serial.View());
    }
    const std::int32_t modelClass = ModelClassFromType(info.type.View());
    if (modelClass != connection_.modelClass) {
        connection_.modelClass = modelClass;
        if (views_.matrix != nullptr)
            views_.matrix->RebuildTypeSelectors();
    }
    if (views_.inputStatus != nullptr && views_.inputStatus->ModelClass() != modelClass) {
        views_.inputStatus->SetModelClass(modelClass);
    }
}

void Dispatcher::DevId(const CommandMessage& m, bool) {
    if (m.status != 0)
        return;
    state_.config.deviceId = m.Int(14);
    state_.config.deviceName.Assign(m.Text(18, 17));
    if (views_.mainWindow != nullptr) {
        views_.mainWindow->SetConnectedRowText(1, std::to_string(state_.config.deviceId));
        views_.mainWindow->SetConnectedRowText(2, state_.config.deviceName.View());
    }
    connection_.deviceNameText = state_.config.deviceName;
    if (retitle_)
        retitle_();
}

void Dispatcher::Lan(const CommandMessage& m, bool) {
    if (m.status != 0)
        return;
    LanSettings& lan = state_.config.lan;
    lan.dhcp = m.Int(14);
    lan.ip.Assign(m.Text(18, 16));
    lan.subnet.Assign(m.Text(34, 16));
    lan.gateway.Assign(m.Text(50, 16));
    lan.mac.Assign(m.Text(66, 13));
}

void Dispatcher::HwConf(const CommandMessage& m, bool) {
    const std::int32_t position = m.Int(14);
    if (m.status != 0 || !InRange(position, 1, static_cast<std::int32_t>(kBoardPositions)))
        return;
    BoardConfig& board = state_.config.hwConf[At(position)];
    board.position = position;
    board.boardType = m.Int(18);
    board.boardCode.Assign(m.Text(22, 17));
    board.boardInfo.Assign(m.Text(39, 14));
    if (position != 20)
        return;
    std::array<CardType, kCardSlots> kinds{};
    for (std::int32_t card = 1; card <= static_cast<std::int32_t>(kCardSlots); ++card) {
        CardRecord& record = state_.config.cards[At(card)];
        record.kind = CardKind(state_, card);
        if (record.kind == CardType::Ad)
            record.mode = 1;
        kinds[At(card)] = record.kind;
    }
    if (views_.inputStatus != nullptr)
        views_.inputStatus->SetCardKinds(kinds);
}

void Dispatcher::SwVer(const CommandMessage& m, bool) {
    const std::int32_t position = m.Int(14);
    if (m.status != 0 || !InRange(position, 1, static_cast<std::int32_t>(kBoardPositions)))
        return;
    SoftwareVersions& entry = state_.config.swVer[At(position)];
    entry.position = position;
    for (std::size_t k = 0; k < 4; ++k) {
        entry.names[k].Assign(m.Text(18 + 17 * k, 17));
        entry.versions[k].Assign(m.Text(86 + 17 * k, 17));
    }
    // The channel count is known now: poll soon rather than at the start sequence's 1 s.
    if (position == 2 && connection_.receiveReady)
        timers_.Start(TimerId::StatePoll, 100ms, false);
}

void Dispatcher::DevFeature(const CommandMessage& m, bool) {
    const std::int32_t feature = m.Int(14);
    if (m.status != 0 || !InRange(feature, 1, 32) || m.Int(18) == 0)
        return;
    state_.config.features |= 1u << (feature - 1);
}

void Dispatcher::SyncPrio(const CommandMessage& m, bool) {
    const std::int32_t source = m.Int(14);
    if (m.status != 0 || !InRange(source, 2, 18))
        return;
    state_.config.syncPrio[static_cast<std::size_t>(source - 2)] = LowByte(m.Int(18));
}

void Dispatcher::SyncPrioList(const CommandMessage& m, bool) {
    const std::int32_t count = m.Int(18);
    if (m.status != 0 || m.Int(14) != 2 || !InRange(count, 0, static_cast<std::int32_t>(kSyncPriorityCount)))
        return;
    std::array<std::int32_t, kSyncPriorityListSize> values{};
    if (!codec_.GetSyncPriorityList(count, values))
        return;
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i)
        state_.config.syncPrio[i] = LowByte(values[i]);
}

void Dispatcher::SyncStat(const CommandMessage& m, bool) {
    if (m.status != 0)
        return;
    const bool stateChanged = state_.live.syncState != m.Int(18);
    state_.live.syncSource = m.Int(14);
    state_.live.syncState = m.Int(18);
    if (views_.statusPanel != nullptr)
        views_.statusPanel->RefreshSyncText(stateChanged);
}

void Dispatcher::PsuConf(const CommandMessage& m, bool) {
    state_.config.psuConf = m.status != 0 ? 0u : static_cast<std::uint32_t>(m.Int(18));
    requests_.PsuStatus(1);
    requests_.PsuStatus(2);
}

void Dispatcher::FanConf(const CommandMessage& m, bool) {
    state_.config.fanConf = m.status != 0 ? 0u : static_cast<std::uint32_t>(m.Int(18));
    for (std::int32_t fan = 1; fan <= 3; ++fan) {
        if ((state_.config.fanConf & (1u << (fan - 1))) != 0)
            requests_.FanStatus(fan);
    }
}

void Dispatcher::PsuStatus(const CommandMessage& m, bool isReply) {
    const std::int32_t supply = m.Int(18);
    if (!InRange(supply, 1, 2))
        return;
    if (m.status == 0) {
        std::int32_t& status = state_.live.psuStatus[At(supply)];
        const std::int32_t value = state_.config.psuConf != 0 ? m.Int(14) : 0;
        const bool changed = status != value;
        status = value;
        if (views_.statusPanel != nullptr)
            views_.statusPanel->RefreshPowerTexts(changed);
    }
    // The frame has answered for the last supply even when it could not read it: without this a
    // frame with a broken PSU 2 sensor would never get its cards read.
    if (isReply && supply == 2)
        timers_.Start(TimerId::CardRequests, 200ms, false);
}

void Dispatcher::FanStatus(const CommandMessage& m, bool) {
    const std::int32_t fan = m.Int(18);
    if (m.status != 0 || !InRange(fan, 1, 3))
        return;
    std::int32_t& status = state_.live.fanStatus[At(fan)];
    const std::int32_t value = state_.config.fanConf != 0 ? m.Int(14) : 0;
    const bool changed = status != value;
    status = value;
    if (views_.statusPanel != nullptr)
        views_.statusPanel->RefreshFanTexts(changed);
}

void Dispatcher::MadiIn(const CommandMessage& m, bool) {
    const std::int32_t port = m.Int(14);
    if (m.status != 0 || !InRange(port, 1, 3))
        return;
    state_.config.madiIn[At(port)] = {port, m.Int(18)};
}

void Dispatcher::MadiOut(const CommandMessage& m, bool) {
    const std::int32_t port = m.Int(14);
    if (m.status != 0 || !InRange(port, 1, 3))
        return;
    MadiOutConfig& out = state_.config.madiOut[At(port)];
    out = {port, m.Int(22), m.Int(26), m.Int(30), out.dsdMode};
    if (port == 3 && views_.matrix != nullptr)
        views_.matrix->RebuildTypeSelectors();
}

void Dispatcher::MadiDsd(const CommandMessage& m, bool) {
    const std::int32_t port = m.Int(14);
    if (m.status != 0 || !InRange(port, 1, 3))
        return;
    state_.config.madiOut[At(port)].dsdMode = m.Int(34);
}

void Dispatcher::OptMode(const CommandMessage& m, bool) {
    const std::int32_t module = m.Int(14);
    if (m.status != 0 || !InRange(module, 1, 2))
        return;
    state_.config.optMode[At(module)] = {module, m.Int(18)};
}

void Dispatcher::OptRed(const CommandMessage& m, bool) {
    if (m.status != 0)
        return;
    const bool changed = state_.config.redundancyEnable != m.Int(14);
    state_.config.redundancyEnable = m.Int(14);
    state_.config.redundancyMode = m.Int(18);
    if (changed && views_.matrix != nullptr)
        views_.matrix->RebuildTypeSelectors();
    InputStatusView* window = views_.inputStatus;
    if (window != nullptr && (changed || window->RedundancyEnable() != state_.config.redundancyEnable)) {
        window->SetRedundancyEnable(state_.config.redundancyEnable);
        window->RefreshAll();
    }
}

void Dispatcher::OptRedSet(const CommandMessage& m, bool) {
    if (m.status != 0) {
        state_.config.redundancyEnable = 0;
        state_.config.redundancyMode = 0;
        return;
    }
    state_.config.redundancyEnable = m.Int(14);
    state_.config.redundancyMode = m.Int(18);
    InputStatusView* window = views_.inputStatus;
    if (window != nullptr && window->RedundancyEnable() != state_.config.redundancyEnable) {
        window->SetRedundancyEnable(state_.config.redundancyEnable);
        window->RefreshAll();
    }
}

void Dispatcher::OptInact(const CommandMessage& m, bool) {
    const std::int32_t module = m.Int(14);
    if (!InRange(module, 1, 2))
        return;
    state_.live.inactive[At(module)] = m.status != 0 ? 0 : m.Int(18);
    if (m.status != 0 || views_.inputStatus == nullptr)
        return;
    views_.inputStatus->SetModuleInactive(module, m.Int(18));
    if (state_.config.redundancyEnable != 0)
        views_.inputStatus->RefreshModuleRow(module);
}

void Dispatcher::HlinkMode(const CommandMessage& m, bool) {
    const std::int32_t module = m.Int(14);
    if (m.status != 0 || !InRange(module, 1, 2))
        return;
    auto& table =
        m.code == ToCode(CommandCode::ghlinkinmode) ? state_.config.hlinkInMode : state_.config.hlinkOutMode;
    table[At(module)] = {module, m.Int(18)};
}

void Dispatcher::DanteLan(const CommandMessage& m, bool) {
    DanteLanSettings& lan =
        m.code == ToCode(CommandCode::gbkip) ? state_.config.danteLan : state_.config.danteSecLan;
    lan = DanteLanSettings{};
    if (m.status != 0)
        return;
    lan.dhcp = m.Int(14);
    lan.ip.Assign(m.Text(18, 16));
    lan.subnet.Assign(m.Text(34, 16));
    lan.gateway.Assign(m.Text(50, 16));
    lan.dns.Assign(m.Text(66, 16));
    lan.mac.Assign(m.Text(82, 13));
}

void Dispatcher::DanteName(const CommandMessage& m, bool) {
    state_.config.danteName.Assign(m.status != 0 ? std::string_view{} : m.Text(14, 32));
}

void Dispatcher::UniClk(const CommandMessage& m, bool) {
    state_.config.danteUniClk = m.status != 0 ? 0 : m.Int(14);
    if (views_.manualIpRouting == nullptr)
        return;
    views_.manualIpRouting->SetUnicastClock(state_.config.danteUniClk);
    views_.manualIpRouting->RefreshControls();
}

void Dispatcher::UniClkStatus(const CommandMessage& m, bool isReply) {
    if (isReply || views_.manualIpRouting == nullptr)
        return;
    const char* raw = reinterpret_cast<const char*>(m.Bytes() + 18);
    std::size_t length = 0;
    while (length < 31 && raw[length] != '\0')
        ++length;
    views_.manualIpRouting->ShowUnicastClockStatus(std::string_view(raw, length));
}

void Dispatcher::AutoRoute(const CommandMessage& m, bool) {
    state_.config.danteAutoRoute = m.status != 0 ? 0 : m.Int(14);
    if (views_.autoIpRouting != nullptr)
        views_.autoIpRouting->SetAutoRoute(state_.config.danteAutoRoute);
}

void Dispatcher::FrameOrLatency(const CommandMessage& m, bool) {
    const bool frame = m.code == ToCode(CommandCode::gframeip);
    std::int32_t& field = frame ? state_.config.danteFrame : state_.config.danteLatency;
    field = m.status != 0 ? 0 : m.Int(46);
    AutoIpRoutingView* window = views_.autoIpRouting;
    if (window == nullptr)
        return;
    const std::int32_t copy = frame ? window->FrameCopy() : window->LatencyCopy();
    if (copy == field)
        return;
    if (frame) {
        window->SetFrameCopy(field);
    } else {
        window->SetLatencyCopy(field);
    }
    window->SetAutoRoute(state_.config.danteAutoRoute);
}

void Dispatcher::Perform(const CommandMessage& m, bool) {
    if (m.status == 0) {
        state_.config.danteFrame = m.Int(50);
        state_.config.danteLatency = m.Int(46);
    }
    AutoIpRoutingView* window = views_.autoIpRouting;
    if (window == nullptr)
        return;
    window->SetFrameCopy(state_.config.danteFrame);
    window->SetLatencyCopy(state_.config.danteLatency);
    window->RefreshControls();
}

void Dispatcher::CrossIp(const CommandMessage& m, bool) {
    if (m.status == 0 && views_.autoIpRouting != nullptr)
        views_.autoIpRouting->CrossIpReply(m);
}

void Dispatcher::Cross(const CommandMessage& m, bool isReply) {
    const std::int32_t output = m.Int(14);
    if (!InRange(output, 1, Channels()))
        return;
    state_.live.crosspoints[At(output)] = m.Int(18);
    if (!isReply) {
        if (views_.matrix != nullptr)
            views_.matrix->RefreshRow(output);
        return;
    }
    if (views_.xyControl != nullptr) {
        views_.xyControl->ShowCrosspoint(output, m.Int(18));
        views_.xyControl->RefreshControls();
    }
}

void Dispatcher::CrossSet(const CommandMessage& m, bool) {
    const std::int32_t output = m.Int(14);
    const std::int32_t input = m.status != 0 ? 0 : m.Int(18);
    if (views_.xyControl != nullptr)
        views_.xyControl->ShowCrosspoint(output, input);
    if (!InRange(output, 1, Channels()))
        return;
    state_.live.crosspoints[At(output)] = input;
    if (views_.matrix != nullptr)
        views_.matrix->RefreshRow(output);
}

void Dispatcher::CrossList(const CommandMessage& m, bool) {
    const std::int32_t first = m.Int(14);
    const std::int32_t count = m.Int(18);
    const std::int32_t channels = Channels();
    if (m.status != 0 || first < 1 || !InRange(count, 0, static_cast<std::int32_t>(kCrosspointListSize)) ||
        first + count - 1 > channels) {
        return;
    }
    std::array<std::int32_t, kCrosspointListSize> values{};
    codec_.GetCrosspointList(count, values);
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
        state_.live.crosspoints[At(first) + i] = values[i];
    }
    if (first + count - 1 == channels && views_.matrix != nullptr)
        views_.matrix->RebuildList();
}

void Dispatcher::Label(const CommandMessage& m, bool) {
    ChannelLabelsView* window = views_.channelLabels;
    const std::int32_t channel = m.Int(18);
    if (window == nullptr || !InRange(channel, 1, static_cast<std::int32_t>(kChannelTableSize)))
        return;
    if (m.code == ToCode(CommandCode::slabel) && m.status != 0)
        return;
    const std::int32_t selector = m.Int(14);
    auto& table = selector == 0 ? state_.config.inputLabels : state_.config.outputLabels;
    table[At(channel)].Assign(m.Text(22, 17));
    window->SetLabel(selector, channel, table[At(channel)].View());
    window->RefreshLine(channel);
}

void Dispatcher::LabelList(const CommandMessage& m, bool) {
    ChannelLabelsView* window = views_.channelLabels;
    const std::int32_t first = m.Int(18);
    const std::int32_t count = m.Int(22);
    if (window == nullptr || m.status != 0 || first < 1 ||
        !InRange(count, 0, static_cast<std::int32_t>(kLabelListSize))) {
        return;
    }
    std::array<LabelEntry, kLabelListSize> entries{};
    if (!codec_.GetLabelList(count, entries))
        return;
    auto& table = m.Int(14) == 0 ? state_.config.inputLabels : state_.config.outputLabels;
    for (std::int32_t k = 0; k < count && first + k <= static_cast<std::int32_t>(kChannelTableSize); ++k) {
        const LabelEntry& entry = entries[static_cast<std::size_t>(k)];
        table[At(first + k)].Assign(std::string_view(entry.text.data()));
    }
    if (first + count - 1 == Channels())
        window->TakeAllLabels(state_);
}

void Dispatcher::Gain(const CommandMessage& m, bool) {
    if (m.code == ToCode(CommandCode::sgain) && m.status != 0)
        return;
    if (views_.gain != nullptr && m.Int(18) != 0)
        views_.gain->StoreGain(m);
}

void Dispatcher::AdSignal(const CommandMessage& m, bool) {
    const std::int32_t card = m.Int(14);
    const std::int32_t channel = m.Int(18);
    if (m.status != 0 || !InRange(card, 1, 8) || !InRange(channel, 1, 8))
        return;
    velmar::AdSignal& entry = state_.live.adSignal[static_cast<std::size_t>(8 * (card - 1) + channel - 1)];
    entry.card = card;
    entry.channel = channel;
    (m.code == ToCode(CommandCode::gadsigdet) ? entry.sigDet : entry.ovlDet) = m.Int(22);
    if (views_.inputStatus != nullptr)
        views_.inputStatus->RefreshCardLine(card, channel);
}

void Dispatcher::SdiRxStatus(const CommandMessage& m, bool) {
    const std::int32_t card = m.Int(14);
    const std::int32_t port = m.Int(18);
    if (!InRange(card, 1, 8) || !InRange(port, 1, 2))
        return;
    state_.live.sdiRxStatus[static_cast<std::size_t>(2 * (card - 1) + port - 1)] = {
        card, port, {m.Int(22), m.Int(26), m.Int(30)}};
    if (views_.inputStatus != nullptr)
        views_.inputStatus->RefreshCardLine(card, port);
}

void Dispatcher::AesInputStatus(const CommandMessage& m, bool) {
    const std::int32_t card = m.Int(14);
    const std::int32_t channel = m.Int(18);
    if (m.status != 0 || !InRange(card, 1, 8) || !InRange(channel, 1, 8))
        return;
    RawStatus& entry = state_.live.aesInputStatus[static_cast<std::size_t>(8 * (card - 1) + channel - 1)];
    entry.card = card;
    entry.index = channel;
    entry.status.Assign(m.Text(22, 3));
    if (views_.inputStatus != nullptr)
        views_.inputStatus->RefreshCardLine(card, channel);
}

void Dispatcher::CardInactive(const CommandMessage& m, bool) {
    const std::int32_t card = m.Int(14);
    const std::int32_t port = m.Int(18);
    if (m.status != 0 || !InRange(card, 1, 8) || !InRange(port, 1, 2))
        return;
    state_.live.inactive[At(2 * card + port)] = m.Int(22);
    if (views_.inputStatus != nullptr)
        views_.inputStatus->RefreshCardLine(card, port);
}

void Dispatcher::CardIfStatus(const CommandMessage& m, bool) {
    const std::int32_t card = m.Int(14);
    const std::int32_t port = m.Int(18);
    if (m.status != 0 || !InRange(card, 1, 8) || !InRange(port, 1, 2))
        return;
    RawStatus& entry = state_.live.cardIfStatus[static_cast<std::size_t>(2 * (card - 1) + port - 1)];
    entry.card = card;
    entry.index = port;
    entry.status.Assign(m.Text(22, 3));
    if (views_.inputStatus != nullptr)
        views_.inputStatus->RefreshCardLine(card, port);
}

void Dispatcher::MainInputStatus(const CommandMessage& m, bool) {
    const std::int32_t input = m.Int(14);
    if (!InRange(input, 1, static_cast<std::int32_t>(kMainInputs)))
        return;
    velmar::MainInputStatus& entry = state_.live.mainInputStatus[At(input)];
    entry.input = input;
    entry.status.Assign(m.Text(18, 3));
    if (views_.inputStatus != nullptr)
        views_.inputStatus->RefreshMainInputLine(input);
}

void Dispatcher::MainInputStatusList(const CommandMessage& m, bool) {
    auto& table = state_.live.mainInputStatus;
    if (m.status != 0) {
        table = {};
        return;
    }
    std::array<InputStatusEntry, kInputStatusListSize> entries{};
    if (!codec_.GetInputStatusList(m.Int(18), entries))
        return;
    for (std::size_t i = 0; i < kMainInputs; ++i) {
        table[i].input = entries[i].channel;
        table[i].status.Assign(std::string_view(entries[i].status.data()));
    }
    if (views_.inputStatus != nullptr)
        views_.inputStatus->RefreshAll();
}

void Dispatcher::TxFlow(const CommandMessage& m, bool) {
    const bool set = m.code == ToCode(CommandCode::scrtxflow);
    const std::int32_t flow = m.Int(14);
    if ((!set && m.status != 0) || !InRange(flow, 1, static_cast<std::int32_t>(kFlowCount)))
        return;
    velmar::TxFlow& entry = state_.live.txFlows[At(flow)];
    if (!set || m.Int(18) > 0) {
        entry.flow = flow;
        entry.exists = m.Int(18);
        entry.name.Assign(m.Text(22, 16));
        entry.last = m.Int(38);
    } else {
        entry = {};
    }
    if (views_.manualIpRouting != nullptr)
        views_.manualIpRouting->FlowReply(m);
    if (m.Int(18) == 0 && views_.matrix != nullptr)
        views_.matrix->RefillIpChannels(true);
}

void Dispatcher::RxFlow(const CommandMessage& m, bool) {
    const bool set = m.code == ToCode(CommandCode::scrrxflow);
    const std::int32_t flow = m.Int(14);
    if ((!set && m.status != 0) || !InRange(flow, 1, static_cast<std::int32_t>(kFlowCount)))
        return;
    velmar::RxFlow& entry = state_.live.rxFlows[At(flow)];
    if (!set || m.Int(18) >= 1) {
        entry = {flow, m.Int(18), m.Int(22), m.Int(26)};
    } else {
        entry = {};
    }
    if (views_.manualIpRouting != nullptr)
        views_.manualIpRouting->FlowReply(m);
    if (m.Int(18) == 0 && views_.matrix != nullptr)
        views_.matrix->RefillIpChannels(false);
}

void Dispatcher::FlowSlot(const CommandMessage& m, bool) {
    const auto code = static_cast<CommandCode>(m.code);
    const bool set = code == CommandCode::stxflowslot || code == CommandCode::srxflowslot;
    const bool transmit = code == CommandCode::gtxflowslot || code == CommandCode::stxflowslot;
    const std::int32_t flow = m.Int(14);
    const std::int32_t slot = m.Int(18);
    if ((!set && m.status != 0) || !InRange(flow, 1, static_cast<std::int32_t>(kFlowCount)) ||
        !InRange(slot, 0, static_cast<std::int32_t>(kFlowSlots) - 1)) {
        return;
    }
    auto& slots = transmit ? state_.live.txFlowSlots : state_.live.rxFlowSlots;
    slots[At(flow)][static_cast<std::size_t>(slot)] = {flow, slot, m.Int(22)};
    if (views_.manualIpRouting != nullptr)
        views_.manualIpRouting->FlowReply(m);
    if (views_.matrix != nullptr)
        views_.matrix->RefillIpChannels(transmit);
}

void Dispatcher::Scr(const CommandMessage& m, bool) {
    if (m.status == 0)
        state_.live.scr.Assign(m.Text(14, 9));
}

void Dispatcher::LevDetThresholds(const CommandMessage& m, bool) {
    if (m.status == 0 && views_.levelDetectors != nullptr && m.Int(18) != 0)
        views_.levelDetectors->StoreThresholds(m);
}

void Dispatcher::LevDetValue(const CommandMessage& m, bool) {
    LevelDetectorView* window = views_.levelDetectors;
    if (m.status != 0 || window == nullptr || m.Int(18) == 0)
        return;
    if (m.code == ToCode(CommandCode::glevdetstatus)) {
        window->SetStatus(m.Int(14), m.Int(18), m.Int(22));
    } else {
        window->SetState(m.Int(14), m.Int(18), m.Int(22));
    }
}

void Dispatcher::LevDetList(const CommandMessage& m, bool) {
    LevelDetectorView* window = views_.levelDetectors;
    const std::int32_t first = m.Int(18);
    const std::int32_t count = m.Int(22);
    if (m.status != 0 || window == nullptr || first < 1 ||
        !InRange(count, 0, static_cast<std::int32_t>(kLevelDetectorListSize)) ||
        first + count - 1 > Channels()) {
        return;
    }
    std::array<std::int32_t, kLevelDetectorListSize> values{};
    if (!codec_.GetLevelDetectorList(count, values))
        return;
    const std::span<const std::int32_t> run(values.data(), static_cast<std::size_t>(count));
    if (m.code == ToCode(CommandCode::llevdetstate)) {
        window->SetStateRun(m.Int(14), first, run);
    } else {
        window->SetStatusRun(m.Int(14), first, run);
    }
}

void Dispatcher::Ppm(const CommandMessage& m, bool) {
    if (m.status == 0 && views_.ppm != nullptr)
        views_.ppm->PpmReply(m);
}

void Dispatcher::PpmIdList(const CommandMessage& m, bool) {
    if (m.status != 0)
        return;
    std::array<std::uint32_t, kPpmIdListSize> ids{};
    if (!codec_.GetPpmIdList(static_cast<std::int32_t>(kPpmIdListSize), ids))
        return;
    for (std::uint32_t id : ids) {
        if (id != 0)
            requests_.PpmInfo(id);
    }
}

void Dispatcher::Prog(const CommandMessage& m, bool) {
    FirmwareRun* run = views_.firmware;
    const bool active = run != nullptr && run->IsActive();
    if (m.status != 0) {
        if (active)
            timers_.Start(TimerId::FirmwareEnd, 0ms, false);
        return;
    }
    switch (m.Int(14)) {
        case 0:
            if (run == nullptr || !run->Open())
                return;
            SendNextFirmwareRecord(true);
            return;
        case 1:
            if (active)
                SendNextFirmwareRecord(false);
            return;
        case 2:
            if (!active)
                return;
            run->ImageClosed();
            timers_.Start(TimerId::FirmwareEnd, 0ms, false);
            return;
        default:
            return;
    }
}

void Dispatcher::SendNextFirmwareRecord(bool first) {
    // A record longer than the sprog text field would reach the frame cut short; ending the run
    // instead makes the record count disagree and the operator sees the programming error.
    constexpr std::size_t kMaxRecord = kMessageSize - 18 - 1;
    timers_.Start(TimerId::FirmwareEnd, 10000ms, false);
    std::string line;
    const FirmwareRun::Line kind = views_.firmware->NextLine(line);
    if (kind == FirmwareRun::Line::Empty)
        return;
    if (kind == FirmwareRun::Line::End || line.size() > kMaxRecord || line.empty() || line[0] != 'S') {
        // The first line decides nothing by itself: without a record the watchdog ends the run.
        if (!first)
            requests_.FirmwareEnd();
        return;
    }
    requests_.FirmwareRecord(line);
    views_.firmware->RecordSent();
}

}  // namespace velmar
