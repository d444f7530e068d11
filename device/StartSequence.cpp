#include "device/StartSequence.h"

#include <array>

#include "device/DeviceModel.h"
#include "device/Session.h"
#include "features/channeltools/core/ChannelToolsUnit.h"
#include "features/clock/core/ClockUnit.h"
#include "features/identity/core/IdentityUnit.h"
#include "features/interfaces/core/InterfacesUnit.h"
#include "features/networkaudio/core/NetworkAudioUnit.h"
#include "features/routing/core/RoutingUnit.h"

namespace velmar {

namespace {

using C = CommandCode;
using F = FeatureId;

constexpr std::uint8_t kFull = static_cast<std::uint8_t>(StartKind::Full);
constexpr std::uint8_t kRecovery = static_cast<std::uint8_t>(StartKind::Recovery);
constexpr std::uint8_t kNoMatrix = static_cast<std::uint8_t>(StartKind::NoMatrix);
constexpr std::uint8_t kHealth = static_cast<std::uint8_t>(StartKind::Health);

// A row whose word goes out once, without arguments.
template <C word>
void Plain(Session& session, StartKind) {
    session.Requests().Send(word);
}

// Recovery firmware answers only its few words, whatever the frame.
template <C word>
void InApplication(Session& session, StartKind kind) {
    if (kind == StartKind::Full || session.Connection().deviceMode == DeviceMode::Application)
        session.Requests().Send(word);
}

// Recovery firmware knows only the main board.
std::optional<std::int32_t> Boards(StartKind kind) {
    return kind == StartKind::Recovery ? std::optional<std::int32_t>(2) : std::nullopt;
}

constexpr std::array kStartSequence{
    StartStep{F::Identity, C::gdevid, kFull | kNoMatrix | kHealth,
              [](Session& s, StartKind kind) {
                  // A frame without a matrix names itself only in application mode.
                  if (kind == StartKind::Full || s.Connection().deviceMode == DeviceMode::Application)
                      s.Feature<IdentityUnit>().DeviceId();
              }},
    StartStep{F::Identity, C::gdevinfo, kFull | kHealth, InApplication<C::gdevinfo>},
    StartStep{F::Identity, C::gip, kFull | kRecovery | kNoMatrix,
              [](Session& s, StartKind) { s.Feature<IdentityUnit>().NetworkSettings(); }},
    StartStep{F::Identity, C::ghwconf, kFull | kRecovery,
              [](Session& s, StartKind kind) { s.Feature<IdentityUnit>().HardwareConfig(Boards(kind)); }},
    StartStep{F::Identity, C::gswver, kFull | kRecovery,
              [](Session& s, StartKind kind) { s.Feature<IdentityUnit>().SoftwareVersion(Boards(kind)); }},
    // A frame without a matrix still has supplies and fans, and its status panel shows them.
    StartStep{F::Identity, C::gfanconf, kFull | kNoMatrix | kHealth, InApplication<C::gfanconf>},
    StartStep{F::Identity, C::gpsuconf, kFull | kNoMatrix | kHealth, InApplication<C::gpsuconf>},
    StartStep{F::Identity, C::gdevfeature, kFull,
              [](Session& s, StartKind) {
                  s.Feature<IdentityUnit>().DeviceFeature(1);
                  s.Feature<IdentityUnit>().DeviceFeature(2);
              }},
    StartStep{F::Identity, C::galivetime, kFull, Plain<C::galivetime>},
    StartStep{F::Identity, C::gsystemdelay, kFull, Plain<C::gsystemdelay>},
    StartStep{F::Clock, C::ggenrate, kFull, Plain<C::ggenrate>},
    StartStep{F::Clock, C::grateadptsrc, kFull, Plain<C::grateadptsrc>},
    StartStep{F::Clock, C::gwclkout, kFull, Plain<C::gwclkout>},
    StartStep{F::Clock, C::lsyncprio, kFull,
              [](Session& s, StartKind) { s.Feature<ClockUnit>().SyncPriorities(); }},
    StartStep{F::Clock, C::gsyncterm, kFull, Plain<C::gsyncterm>},
    StartStep{F::Interfaces, C::gaeschstat, kFull, Plain<C::gaeschstat>},
    StartStep{F::Interfaces, C::gphdmode, kFull,
              [](Session& s, StartKind) { s.Feature<InterfacesUnit>().PhdModes(); }},
    StartStep{F::Interfaces, C::goptred, kFull,
              [](Session& s, StartKind) { s.Feature<InterfacesUnit>().Redundancy(); }},
    StartStep{F::Interfaces, C::goptmode, kFull,
              [](Session& s, StartKind) { s.Feature<InterfacesUnit>().OptionalModuleMode(std::nullopt); }},
    StartStep{F::Interfaces, C::gmadiinmode, kFull,
              [](Session& s, StartKind) { s.Feature<InterfacesUnit>().MadiModes(std::nullopt); }},
    StartStep{F::Interfaces, C::ghlinkinmode, kFull,
              [](Session& s, StartKind) { s.Feature<InterfacesUnit>().HotlinkModes(std::nullopt); }},
    StartStep{F::NetworkAudio, C::gbkip, kFull,
              [](Session& s, StartKind) { s.Feature<NetworkAudioUnit>().DanteNetwork(false); }, true},
    StartStep{F::NetworkAudio, C::gbkname, kFull,
              [](Session& s, StartKind) { s.Feature<NetworkAudioUnit>().DanteName(); }, true},
    StartStep{F::NetworkAudio, C::gswmodeip, kFull, Plain<C::gswmodeip>, true},
    StartStep{F::NetworkAudio, C::gbksecip, kFull,
              [](Session& s, StartKind) { s.Feature<NetworkAudioUnit>().DanteNetwork(true); }, true},
    StartStep{F::NetworkAudio, C::gsrenaip, kFull, Plain<C::gsrenaip>, true},
};

constexpr std::array kStatePoll{
    StartStep{F::Clock, C::gactrate, kFull | kHealth, Plain<C::gactrate>},
    StartStep{F::Clock, C::gsyncstat, kFull | kHealth, Plain<C::gsyncstat>},
    StartStep{F::Routing, C::lcross, kFull,
              [](Session& s, StartKind) { s.Feature<RoutingUnit>().CrosspointRuns(); }},
    StartStep{F::Interfaces, C::goptinact, kFull,
              [](Session& s, StartKind) {
                  if (IsNewFirmware(s.State()))
                      s.Feature<InterfacesUnit>().OptionalModuleInactive(std::nullopt);
              }},
    StartStep{F::ChannelTools, C::lmaininpstatus, kFull,
              [](Session& s, StartKind) { s.Feature<ChannelToolsUnit>().MainInputStatusList(); }},
};

// The Dante rows wait for the boards' answers, so they must close the sequence: nothing sent
// after them may overtake them on the wire.
constexpr bool DanteRowsCloseTheSequence() {
    bool dante = false;
    for (const StartStep& step : kStartSequence) {
        if (dante && !step.danteModule)
            return false;
        dante = dante || step.danteModule;
    }
    return true;
}
static_assert(DanteRowsCloseTheSequence());

}  // namespace

std::span<const StartStep> StartSequenceSteps() {
    return kStartSequence;
}

std::span<const StartStep> StatePollSteps() {
    return kStatePoll;
}

void RequestCardSettings(Session& session) {
    for (std::int32_t card = 1; card <= static_cast<std::int32_t>(kCardSlots); ++card)
        session.Feature<InterfacesUnit>().CardSettings(card);
}

}  // namespace velmar
