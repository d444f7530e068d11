#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "device/ui/FilePicker.h"
#include "device/ui/Prompter.h"

namespace velmar::bench {

// A window under a benchmark asks nothing and is shown nothing: a question would stop the clock.
class SilentPrompter final : public Prompter {
  public:
    bool Question(std::string_view, std::string_view) override { return false; }
    void Information(std::string_view, std::string_view) override {}
    void Warning(std::string_view, std::string_view) override {}
};

class NoFiles final : public FilePicker {
  public:
    std::string OpenFile(const FileRequest&) override { return {}; }
    std::vector<std::string> OpenFiles(const FileRequest&) override { return {}; }
    std::string SaveFile(const FileRequest&) override { return {}; }
};

// These machines are noisy: benchmarks quote medians.
inline double Median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

}  // namespace velmar::bench
