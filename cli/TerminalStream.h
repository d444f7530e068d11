#pragma once

#include <ostream>
#include <streambuf>
#include <string>

namespace velmar {

// What velmar-cli prints goes through one of these, so that no control character from a frame,
// a file or the command line ever reaches a terminal: each line is written in the terminal-safe
// form (TerminalSafe), its line end ('\n', or the '\r' the progress bar redraws with) as it is.
// Frame texts are still decoded where they are printed (FrameTextForTerminal); this is the net
// under every other message, echoed argument and file name.
class TerminalStream final : public std::ostream {
  public:
    explicit TerminalStream(std::ostream& target);
    ~TerminalStream() override;

  private:
    class LineBuffer final : public std::streambuf {
      public:
        explicit LineBuffer(std::ostream& target) : target_(target) {}
        void Flush();

      protected:
        int_type overflow(int_type c) override;
        std::streamsize xsputn(const char* text, std::streamsize count) override;
        int sync() override;

      private:
        void Put(char c);

        std::ostream& target_;
        std::string line_;
    };

    LineBuffer buffer_;
};

}  // namespace velmar
