#pragma once

#include "cli/CliCommand.h"

namespace velmar {

// flows, flow, unicast-clock, autoroute: read what they show, check what they send the way
// the windows do, send it and wait for the frame's answers.
CliFeature NetworkAudioCliCommands();

}  // namespace velmar
