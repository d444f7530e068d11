#include "cli/CliApp.h"

namespace velmar {

int CliApp::Run(const CliOptions& options) {
    return options.command->run(options, {out_, err_});
}

}  // namespace velmar
