#pragma once

#include <ostream>

#include "cli/CliOptions.h"

namespace velmar {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitNotResponding = 3;

// Runs one velmar-cli command on the console core over POSIX sockets and returns the exit code.
class CliApp {
  public:
    CliApp(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
    int Run(const CliOptions& options);

  private:
    std::ostream& out_;
    std::ostream& err_;
};

}  // namespace velmar
