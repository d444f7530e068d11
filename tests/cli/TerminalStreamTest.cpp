#include "cli/TerminalStream.h"

#include <gtest/gtest.h>

#include <sstream>

namespace velmar {
namespace {

// Line ends pass as they are (the progress bar redraws with CR); everything else that would move
// the cursor, ring the bell or start an escape sequence is shown, and a flush lets a redrawn line
// out before its end.
TEST(TerminalStream, EveryLineReachesTheTerminalSafeWithItsLineEnd) {
    std::ostringstream target;
    {
        TerminalStream out(target);
        out << "name: "
            << "\x1b[2J\tx"
            << "\n"
            << "\r[##--] 50%" << std::flush;
        EXPECT_EQ(target.str(), "name: \\x1b[2J\\x09x\n\r[##--] 50%");
        out << "\r[####] 100%\n"
            << "caf\xC3\xA9 \xE9\x07\xC2\x9B";
    }
    EXPECT_EQ(target.str(), "name: \\x1b[2J\\x09x\n\r[##--] 50%\r[####] 100%\ncaf\xC3\xA9 \\xe9\\x07\\x9b");
}

}  // namespace
}  // namespace velmar
