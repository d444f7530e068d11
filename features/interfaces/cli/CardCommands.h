#pragma once

#include <ostream>

#include "cli/CliOptions.h"

namespace velmar {

class HeadlessConsole;
class PosixEventLoop;
class Session;

// velmar-cli cards and card: the plug-in cards' parameters as the card configuration page shows
// them, and changes made with the requests the page's "Save changes" sends.
class CardCommands {
  public:
    CardCommands(Session& session, PosixEventLoop& loop, HeadlessConsole& console, std::ostream& out,
                 std::ostream& err)
        : session_(session), loop_(loop), console_(console), out_(out), err_(err) {}

    int Cards(const CliOptions& options);
    int Card(const CliOptions& options);

  private:
    Session& session_;
    PosixEventLoop& loop_;
    HeadlessConsole& console_;
    std::ostream& out_;
    std::ostream& err_;
};

}  // namespace velmar
