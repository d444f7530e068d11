#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <typeinfo>

#include "device/features/FeatureContext.h"
#include "device/features/FrameFacts.h"

namespace velmar {

// The features of features/FeatureList.inc, in its order.
enum class FeatureId : std::uint8_t {
#define VELMAR_FEATURE(name) name,
#include "features/FeatureList.inc"
#undef VELMAR_FEATURE
};

inline constexpr std::size_t kFeatureCount = 0
#define VELMAR_FEATURE(name) +1
#include "features/FeatureList.inc"
#undef VELMAR_FEATURE
    ;

// A feature as the core sees it: the unit it builds on the session's context (the unit registers
// its reply handlers there), and its gate.
struct CoreModule {
    std::string_view name;
    const std::type_info* unitType = nullptr;  // null: the feature has no unit of its own
    std::shared_ptr<void> (*build)(FeatureContext& context) = nullptr;
    FeatureGate gate = nullptr;  // null: every frame has it
    // Forgets the unit's slice of the frame's state, as DeviceState::ResetState does the shared
    // image (null: the unit keeps none).
    void (*reset)(void* unit) = nullptr;
    // A new link, or none: what the unit asked on the old one will not be answered, and what it
    // was walking through stops (null: nothing to forget).
    void (*newLink)(void* unit) = nullptr;
    // The unit is in the middle of work that other requests must not interleave with (null: never).
    bool (*busy)(const void* unit) = nullptr;
    // The unit owns the link for now: the keep-alive pauses (null: never).
    bool (*holdsLink)(const void* unit) = nullptr;
};

template <class Unit>
std::shared_ptr<void> BuildUnit(FeatureContext& context) {
    return std::make_shared<Unit>(context);
}

template <class Unit>
void ResetUnit(void* unit) {
    static_cast<Unit*>(unit)->Reset();
}

template <class Unit>
void NewLinkOf(void* unit) {
    static_cast<Unit*>(unit)->NewLink();
}

template <class Unit>
bool BusyOf(const void* unit) {
    return static_cast<const Unit*>(unit)->Busy();
}

// Each feature's registration, defined in its own folder.
#define VELMAR_FEATURE(name) const CoreModule& name##CoreModule();
#include "features/FeatureList.inc"
#undef VELMAR_FEATURE

// Every feature's core registration, indexed by FeatureId.
const std::array<const CoreModule*, kFeatureCount>& CoreModules();

inline const CoreModule& CoreModuleOf(FeatureId id) {
    return *CoreModules()[static_cast<std::size_t>(id)];
}

}  // namespace velmar
