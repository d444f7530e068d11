#include "cli/CliApp.h"

#include "cli/TerminalStream.h"

namespace velmar {

int CliApp::Run(const CliOptions& options) {
    TerminalStream out(out_);
    TerminalStream err(err_);
    return options.command->run(options, {out, err});
}

}  // namespace velmar
