#include "cli/WordCommandRunner.h"

#include <charconv>

#include "cli/CliApp.h"
#include "device/DryRunTransport.h"
#include "device/Session.h"

namespace velmar {

WordCommandRunner::WordCommandRunner(const CliOptions& options, const CliFrame& frame, std::ostream& out,
                                     std::ostream& err)
    : options_(options),
      frame_(frame),
      session_(frame.session),
      out_(out),
      err_(err),
      batch_(std::make_unique<RequestBatch>(frame.session.Outcomes())) {}

bool WordCommandRunner::Number(std::size_t word, std::int32_t first, std::int32_t last, std::int32_t& value) {
    const std::string text = Word(word);
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc{} || result.ptr != text.data() + text.size() ||
        value < first || value > last) {
        err_ << "velmar-cli: " << (text.empty() ? std::string("a number is missing") : "'" + text + "'")
             << ": expected a number from " << first << " to " << last << "\n";
        return false;
    }
    return true;
}

int WordCommandRunner::Usage(const std::string& text) {
    err_ << "velmar-cli: " << text << "\n";
    return kExitUsage;
}

int WordCommandRunner::Refuse(const std::string& text) {
    err_ << "velmar-cli: " << text << "\n";
    return kExitFailure;
}

int WordCommandRunner::Settle() {
    const int result = AwaitOutcomes(frame_.loop, frame_.console, *batch_, options_.timeout, err_);
    batch_ = std::make_unique<RequestBatch>(session_.Outcomes());
    return result;
}

void WordCommandRunner::BeginChange() {
    if (frame_.dryRun != nullptr)
        frame_.dryRun->Hold();
}

int WordCommandRunner::EndChange() {
    if (frame_.dryRun != nullptr)
        return kExitOk;
    return Settle();
}

}  // namespace velmar
