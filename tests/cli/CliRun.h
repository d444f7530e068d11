#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/CliApp.h"
#include "cli/CliParser.h"

namespace velmar::test {

// What one velmar-cli run gave: its exit code and everything it printed.
struct CliOutcome {
    int code;
    std::string out;
    std::string err;
};

// Runs a velmar-cli command line in-process, as the program's main would.
inline CliOutcome RunCli(const std::vector<std::string>& args) {
    const CliParse parsed = ParseCliOptions(args);
    if (!parsed.options)
        return {kExitUsage, {}, parsed.error};
    std::ostringstream out;
    std::ostringstream err;
    const int code = CliApp(out, err).Run(*parsed.options);
    return {code, out.str(), err.str()};
}

}  // namespace velmar::test
