#include "device/features/meters/MetersUnit.h"

#include "device/DeviceModel.h"

namespace velmar {

using C = CommandCode;

MetersUnit::MetersUnit(FeatureContext& context) : context_(context) {}

void MetersUnit::LevelDetectorThresholds() {
    for (std::int32_t selector = 0; selector <= 1; ++selector) {
        for (std::int32_t ch = ToolChannelBase(context_.connection) + 1; ch <= context_.Channels(); ++ch)
            context_.requests.Send(C::glevdetthres, {{14, selector}, {18, ch}});
    }
}

void MetersUnit::LevelDetectorRuns(CommandCode list) {
    const std::int32_t base = ToolChannelBase(context_.connection);
    const std::int32_t runs = (context_.Channels() - base) / 128;
    for (std::int32_t selector = 0; selector <= 1; ++selector) {
        for (std::int32_t run = 0; run < runs; ++run)
            context_.requests.Send(list, {{14, selector}, {18, base + 1 + 128 * run}, {22, 128}});
    }
}

}  // namespace velmar
