#include "cli/CliFeatureList.h"

namespace velmar {

// `status` prints the clock with the rest of the frame.
CliFeature ClockCliFeature() {
    return {};
}

}  // namespace velmar
