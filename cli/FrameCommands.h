#pragma once

#include "cli/CliCommand.h"

namespace velmar {

// discover, probe, status and the routing commands: routes, route, load-routes.
CliFeature FrameCliCommands();

}  // namespace velmar
