#include "cli/CliFeatureList.h"

namespace velmar {

// No command of its own: velmar-cli --events prints the log's entries for every command.
CliFeature EventLogCliFeature() {
    return {};
}

}  // namespace velmar
