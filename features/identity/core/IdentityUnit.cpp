#include "features/identity/core/IdentityUnit.h"

#include <memory>

#include "device/DeviceModel.h"
#include "device/FieldBindings.h"
#include "device/SessionEvents.h"
#include "features/identity/core/IdentityEvents.h"

namespace velmar {

using namespace std::chrono_literals;

namespace {
using C = CommandCode;
}  // namespace

IdentityUnit::IdentityUnit(FeatureContext& context) : context_(context) {
    Dispatcher& d = context.dispatcher;
    d.On(C::gdevinfo, [this](const CommandMessage& m, bool) { DevInfo(m); });
    d.On(C::sdevinfo, [this](const CommandMessage& m, bool) { DevInfo(m); });
    d.On(C::gdevid, [this](const CommandMessage& m, bool) { DevId(m); });
    d.On(C::sdevid, [this](const CommandMessage& m, bool) { DevId(m); });
    context.StoreRepliesOf({C::gip, C::galivetime, C::gsystemdelay, C::spsuconf, C::sfanconf});
    d.On(C::ghwconf, [this](const CommandMessage& m, bool) { HwConf(m); });
    d.On(C::gswver, [this](const CommandMessage& m, bool) { SwVer(m); });
    d.On(C::gdevfeature, [this](const CommandMessage& m, bool) { DevFeature(m); });
    d.On(C::gpsuconf, [this](const CommandMessage& m, bool) { PsuConf(m); });
    d.On(C::gfanconf, [this](const CommandMessage& m, bool) { FanConf(m); });
    d.On(C::gpsustatus, [this](const CommandMessage& m, bool isReply) { PsuStatusReply(m, isReply); });
    d.On(C::gfanstatus, [this](const CommandMessage& m, bool) { FanStatusReply(m); });
    d.On(C::gscr, [this](const CommandMessage& m, bool) {
        if (m.status == 0)
            context_.state.live.scr.Assign(m.Text(14, 9));
    });
}

void IdentityUnit::DeviceId() {
    context_.requests.Send(C::gdevid);
}

RequestProblem IdentityUnit::SetDeviceId() {
    if (!context_.connection.connected)
        return std::nullopt;
    return context_.requests.SendSetting(C::sdevid);
}

void IdentityUnit::NetworkSettings() {
    context_.requests.Send(C::gip);
}

RequestProblem IdentityUnit::SetNetworkSettings(const LanSettings& wanted) {
    if (!context_.connection.connected)
        return std::nullopt;
    // The request's fields are the address settings alone, so the rest of the block may stay empty.
    auto request = std::make_unique<ConfigBlock>();
    request->lan = wanted;
    return context_.requests.SendSetting(C::sip, *request);
}

void IdentityUnit::HardwareConfig(std::optional<std::int32_t> position) {
    for (std::int32_t p = position.value_or(2); p <= position.value_or(20); ++p)
        context_.requests.Send(C::ghwconf, {{14, p}});
}

void IdentityUnit::SoftwareVersion(std::optional<std::int32_t> position) {
    for (std::int32_t p = position.value_or(2); p <= position.value_or(20); ++p)
        context_.requests.Send(C::gswver, {{14, p}});
}

void IdentityUnit::DeviceFeature(std::int32_t group) {
    context_.requests.Send(C::gdevfeature, {{14, group}});
}

void IdentityUnit::PsuStatus(std::int32_t supply) {
    context_.requests.Send(C::gpsustatus, {{18, supply}});
}

void IdentityUnit::FanStatus(std::int32_t fan) {
    context_.requests.Send(C::gfanstatus, {{18, fan}});
}

void IdentityUnit::RefreshCapabilities() {
    FrameCapabilities& held = context_.connection.capabilities;
    const FrameCapabilities now = CapabilitiesOf(context_.state, held.model);
    if (now == held)
        return;
    held = now;
    context_.events.Publish(CapabilitiesChanged{now});
}

void IdentityUnit::DevInfo(const CommandMessage& m) {
    if (m.status != 0)
        return;
    velmar::DevInfo& info = context_.state.config.devInfo;
    info.type.Assign(m.Text(14, 7));
    info.model = m.Int(22);
    info.serial.Assign(m.Text(26, 17));
    context_.events.Publish(DeviceInfoChanged{info.type.View(), info.serial.View()});
    context_.connection.capabilities.model = ModelClassFromType(info.type.View());
    RefreshCapabilities();
}

void IdentityUnit::DevId(const CommandMessage& m) {
    if (!StoreBoundFields(context_.state, m))
        return;
    const ConfigBlock& config = context_.state.config;
    context_.connection.deviceNameText = config.deviceName;
    context_.events.Publish(DeviceIdChanged{config.deviceId, config.deviceName.View()});
    context_.retitle();
}

void IdentityUnit::HwConf(const CommandMessage& m) {
    const std::int32_t position = m.Int(14);
    if (m.status != 0 || !InRange(position, 1, static_cast<std::int32_t>(kBoardPositions)))
        return;
    BoardConfig& board = context_.state.config.hwConf[At(position)];
    board.position = position;
    board.boardType = m.Int(18);
    board.boardCode.Assign(m.Text(22, 17));
    board.boardInfo.Assign(m.Text(39, 14));
    if (position == 20) {
        for (std::int32_t card = 1; card <= static_cast<std::int32_t>(kCardSlots); ++card) {
            CardRecord& record = context_.state.config.cards[At(card)];
            record.kind = CardKind(context_.state, card);
            if (record.kind == CardType::Ad)
                record.mode = 1;
        }
    }
    RefreshCapabilities();
    context_.events.Publish(BoardChanged{position});
}

void IdentityUnit::SwVer(const CommandMessage& m) {
    const std::int32_t position = m.Int(14);
    if (m.status != 0 || !InRange(position, 1, static_cast<std::int32_t>(kBoardPositions)))
        return;
    SoftwareVersions& entry = context_.state.config.swVer[At(position)];
    entry.position = position;
    for (std::size_t k = 0; k < 4; ++k) {
        entry.names[k].Assign(m.Text(18 + 17 * k, 17));
        entry.versions[k].Assign(m.Text(86 + 17 * k, 17));
    }
    if (position != 2)
        return;
    RefreshCapabilities();
    // The channel count is known now: poll soon rather than at the start sequence's 1 s.
    if (context_.connection.receiveReady)
        context_.poll.PollStateIn(100ms);
}

void IdentityUnit::DevFeature(const CommandMessage& m) {
    const std::int32_t feature = m.Int(14);
    if (m.status != 0 || !InRange(feature, 1, 32) || m.Int(18) == 0)
        return;
    context_.state.config.features |= 1u << (feature - 1);
}

void IdentityUnit::PsuConf(const CommandMessage& m) {
    StoreBoundFields(context_.state, m);
    PsuStatus(1);
    PsuStatus(2);
}

void IdentityUnit::FanConf(const CommandMessage& m) {
    StoreBoundFields(context_.state, m);
    for (std::int32_t fan = 1; fan <= 3; ++fan) {
        if ((context_.state.config.fanConf & (1u << (fan - 1))) != 0)
            FanStatus(fan);
    }
}

void IdentityUnit::PsuStatusReply(const CommandMessage& m, bool isReply) {
    const std::int32_t supply = m.Int(18);
    if (!InRange(supply, 1, 2))
        return;
    if (m.status == 0) {
        std::int32_t& status = context_.state.live.psuStatus[At(supply)];
        const std::int32_t value = context_.state.config.psuConf != 0 ? m.Int(14) : 0;
        const bool changed = status != value;
        status = value;
        context_.events.Publish(PowerStatusChanged{changed, supply});
    }
    // The frame has answered for the last supply even when it could not read it: without this a
    // frame with a broken PSU 2 sensor would never get its cards read.
    // A frame without a matrix has no cards, and its settings are not all read.
    if (isReply && supply == 2 && context_.connection.capabilities.model != ModelClass::NoMatrix)
        context_.poll.RequestCardsIn(200ms);
}

void IdentityUnit::FanStatusReply(const CommandMessage& m) {
    const std::int32_t fan = m.Int(18);
    if (m.status != 0 || !InRange(fan, 1, 3))
        return;
    std::int32_t& status = context_.state.live.fanStatus[At(fan)];
    const std::int32_t value = context_.state.config.fanConf != 0 ? m.Int(14) : 0;
    const bool changed = status != value;
    status = value;
    context_.events.Publish(FanStatusChanged{changed, fan});
}

}  // namespace velmar
