#pragma once

#include <ostream>

#include "cli/CliOptions.h"

namespace velmar {

class HeadlessConsole;
class PosixEventLoop;
class Session;

// velmar-cli settings save ADDR FILE: writes the settings file of a frame that has been read.
int SaveFrameSettings(const CliOptions& options, const Session& session, std::ostream& out,
                      std::ostream& err);

// velmar-cli settings apply ADDR FILE [--dry-run] [--network]: loads the file over the frame's
// settings and sends what "Save changes" would send, then waits for every answer. Without
// --network the frame keeps its own addresses (and its Dante interfaces'), so a file from another
// frame cannot move this one onto that frame's address.
int ApplyFrameSettings(const CliOptions& options, Session& session, PosixEventLoop& loop,
                       const HeadlessConsole& console, std::ostream& out, std::ostream& err);

}  // namespace velmar
