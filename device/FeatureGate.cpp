#include "device/FeatureGate.h"

#include <algorithm>
#include <array>

#include "device/DeviceModel.h"

namespace velmar {

namespace {

constexpr std::int32_t kLastVersionWithoutLabels = 1040001;  // labels and gains come after it
constexpr std::int32_t kFirstIpRoutingVersion = 1020002;
constexpr std::uint32_t kLevelDetectorFeature = 1u << 0;
constexpr std::uint32_t kGainFeature = 1u << 1;

// What each gate asks of the frame, in the order the refusal names the first that fails.
struct GateRow {
    Feature feature;
    std::string_view name;  // "no <name> from here"
    bool recovery = false;  // also offered by the recovery firmware and in mode 2
    bool noMatrix = false;  // also offered by a class 2 frame
    bool dante = false;
    std::int32_t versionAbove = 0;  // offered above this main software version (0: any)
    std::uint32_t featureBits = 0;
};

constexpr std::array kGates{
    GateRow{.feature = Feature::Routing, .name = "routing"},
    GateRow{.feature = Feature::HwConfiguration, .name = "hardware configuration", .recovery = true},
    GateRow{.feature = Feature::InputStatus, .name = "input status"},
    GateRow{.feature = Feature::ChannelLabels,
            .name = "channel labels",
            .versionAbove = kLastVersionWithoutLabels},
    GateRow{.feature = Feature::GainSettings,
            .name = "gain settings",
            .versionAbove = kLastVersionWithoutLabels,
            .featureBits = kGainFeature},
    GateRow{.feature = Feature::LevelDetectors,
            .name = "level detectors",
            .dante = true,
            .featureBits = kLevelDetectorFeature},
    GateRow{.feature = Feature::PpmStreams,
            .name = "PPM streams",
            .dante = true,
            .featureBits = kLevelDetectorFeature},
    GateRow{.feature = Feature::IpFlows,
            .name = "IP flows",
            .dante = true,
            .versionAbove = kFirstIpRoutingVersion - 1},
    GateRow{.feature = Feature::AutoRouting,
            .name = "automatic IP routing",
            .dante = true,
            .versionAbove = kFirstIpRoutingVersion - 1},
    GateRow{.feature = Feature::FactoryClear, .name = "factory reset"},
    GateRow{.feature = Feature::Restart, .name = "restart", .noMatrix = true},
};

}  // namespace

std::string GateRefusal(Feature feature, const FrameFacts& facts) {
    const GateRow* gate = nullptr;
    for (const GateRow& row : kGates) {
        if (row.feature == feature)
            gate = &row;
    }
    if (gate == nullptr)
        return {};
    const std::string none = "no " + std::string(gate->name) + " from here";
    if (facts.mode == DeviceMode::Recovery && (!gate->recovery || feature == Feature::Restart))
        return "runs its recovery firmware: " + none + "; use application";  // it restarts by loading it
    if (facts.mode == DeviceMode::Mode2 && !gate->recovery && feature != Feature::Restart)
        return "runs in mode 2: " + none;
    if (!gate->noMatrix && !facts.capabilities.matrix)
        return "is a frame without a matrix (class 2): " + none;
    if (facts.mode != DeviceMode::Application)
        return {};
    if (gate->dante && !facts.capabilities.dante)
        return "has no Dante module: " + none;
    if (gate->versionAbove != 0 && facts.version <= gate->versionAbove)
        return "runs software " + std::to_string(facts.version) + ": " + none + " before " +
               std::to_string(gate->versionAbove + 1);
    if ((facts.features & gate->featureBits) != gate->featureBits)
        return "does not report the " + std::string(gate->name) + " feature: " + none;
    return {};
}

bool NeedsDanteModule(CommandCode code) {
    using C = CommandCode;
    static constexpr std::array kDanteWords{C::gbkip,      C::gbksecip,      C::gbkname,     C::gswmodeip,
                                            C::gsrenaip,   C::guniclkip,     C::guniclkstip, C::gautorouteip,
                                            C::grxportrng, C::gmaxlatencyip, C::gframeip,    C::glatencyip};
    return std::find(kDanteWords.begin(), kDanteWords.end(), code) != kDanteWords.end();
}

std::string AutoRoutingOffRefusal(const DeviceState& state) {
    if (state.config.danteAutoRoute != 0)
        return {};
    return "has automatic routing off: its frame rate, latency and routes are set only while it is on "
           "(autoroute ADDR on)";
}

}  // namespace velmar
