#include "cli/CliApp.h"

#include "cli/CliRegistry.h"

namespace velmar {

int CliApp::Run(const CliOptions& options) {
    if (options.help) {
        out_ << CliUsage();
        return kExitOk;
    }
    if (options.version) {
        out_ << "velmar-cli " << VELMAR_VERSION << "\n";
        return kExitOk;
    }
    return options.command->run(options, {out_, err_});
}

}  // namespace velmar
