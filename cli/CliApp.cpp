#include "cli/CliApp.h"

#include "cli/CliRegistry.h"
#include "cli/TerminalStream.h"

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
    TerminalStream out(out_);
    TerminalStream err(err_);
    return options.command->run(options, {out, err});
}

}  // namespace velmar
