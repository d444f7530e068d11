#pragma once

#include "cli/CliCommand.h"

namespace velmar {

// Each feature's commands, defined in its own folder (empty for a feature without any).
#define VELMAR_FEATURE(name) CliFeature name##CliFeature();
#include "features/FeatureList.inc"
#undef VELMAR_FEATURE

}  // namespace velmar
