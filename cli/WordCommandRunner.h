#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

#include "cli/CliOptions.h"
#include "cli/FrameConnection.h"
#include "device/EventHub.h"
#include "device/RequestOutcomes.h"

namespace velmar {

class Session;

// What a command with action words (ppm, flow, autoroute, ...) does around its own steps: reads
// its words as numbers, names what it refuses, and waits for the outcomes of the requests it sent.
class WordCommandRunner {
  public:
    WordCommandRunner(const CliOptions& options, const CliFrame& frame, std::ostream& out, std::ostream& err);
    WordCommandRunner(const WordCommandRunner&) = delete;
    WordCommandRunner& operator=(const WordCommandRunner&) = delete;

  protected:
    // Word `word` as a number from `first` to `last`; names it on stderr when it is not one.
    bool Number(std::size_t word, std::int32_t first, std::int32_t last, std::int32_t& value);
    std::string Word(std::size_t index) const {
        return index < options_.words.size() ? options_.words[index] : std::string();
    }
    int Usage(const std::string& text);
    int Refuse(const std::string& text);
    // Runs the loop until every request sent since the last Settle has its outcome, and names
    // what was not answered with status 0; the exit code.
    int Settle();
    // Before a change: in a dry run, hold back what follows.
    void BeginChange();
    // After a change: waits for the answers and names what the frame refused.
    int EndChange();

    const CliOptions& options_;
    const CliFrame& frame_;
    Session& session_;
    std::ostream& out_;
    std::ostream& err_;
    Subscriptions subscriptions_;

  private:
    std::unique_ptr<RequestBatch> batch_;  // the requests since the last Settle
};

}  // namespace velmar
