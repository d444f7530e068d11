#include "features/clock/core/ClockUnit.h"

#include "device/FieldBindings.h"
#include "features/clock/core/ClockEvents.h"

namespace velmar {

namespace {
using C = CommandCode;
}  // namespace

ClockUnit::ClockUnit(FeatureContext& context) : context_(context) {
    Dispatcher& d = context.dispatcher;
    context.StoreRepliesOf({C::ggenrate, C::sgenrate, C::grateadptsrc, C::srateadptsrc, C::gwclkout,
                            C::swclkout, C::gsyncterm, C::gsyncprio});
    d.On(C::gactrate, [this](const CommandMessage& m, bool) {
        StoreBoundFields(context_.state, m);
        context_.events.Publish(SampleRateChanged{context_.state.live.actualRate});
    });
    d.On(C::lsyncprio, [this](const CommandMessage& m, bool) { SyncPrioList(m); });
    d.On(C::gsyncstat, [this](const CommandMessage& m, bool) { SyncStat(m); });
}

void ClockUnit::SyncPriorities() {
    context_.requests.Send(C::lsyncprio, {{14, 2}, {18, static_cast<std::int32_t>(kSyncPriorityCount)}});
}

void ClockUnit::SetSyncPriorities() {
    for (std::int32_t source = 2; source <= 18; ++source)
        context_.requests.SendSetting(C::ssyncprio, source);
}

void ClockUnit::SyncPrioList(const CommandMessage& m) {
    const std::int32_t count = m.Int(18);
    if (m.status != 0 || m.Int(14) != 2 || !InRange(count, 0, static_cast<std::int32_t>(kSyncPriorityCount)))
        return;
    std::array<std::int32_t, kSyncPriorityListSize> values{};
    if (!context_.codec.GetSyncPriorityList(count, values))
        return;
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i)
        context_.state.config.syncPrio[i] = static_cast<std::uint8_t>(values[i] & 0xFF);
}

void ClockUnit::SyncStat(const CommandMessage& m) {
    if (m.status != 0)
        return;
    LiveBlock& live = context_.state.live;
    const bool stateChanged = live.syncState != m.Int(18);
    live.syncSource = m.Int(14);
    live.syncState = m.Int(18);
    context_.events.Publish(SyncStatusChanged{live.syncSource, live.syncState, stateChanged});
}

}  // namespace velmar
