#include <iostream>
#include <string>
#include <vector>

#include "cli/CliApp.h"
#include "cli/CliParser.h"
#include "cli/CliRegistry.h"
#include "cli/TerminalStream.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const velmar::CliParse parsed = velmar::ParseCliOptions(args);
    if (!parsed.options) {
        velmar::TerminalStream(std::cerr) << "velmar-cli: " << parsed.error << "\n" << velmar::CliUsage();
        return velmar::kExitUsage;
    }
    velmar::CliApp app(std::cout, std::cerr);
    return app.Run(*parsed.options);
}
