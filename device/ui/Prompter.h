#pragma once

#include <string_view>

namespace velmar {

// How the console asks and tells the operator: modal message boxes with fixed texts. An empty
// caption stands for the application's title. Windows never open message boxes themselves; tests
// hand them a scripted prompter instead.
class Prompter {
  public:
    virtual ~Prompter() = default;
    // Yes/No with the question icon; true only for Yes.
    virtual bool Question(std::string_view text, std::string_view caption = {}) = 0;
    // OK only.
    virtual void Information(std::string_view text, std::string_view caption = {}) = 0;
    virtual void Warning(std::string_view text, std::string_view caption = {}) = 0;
};

}  // namespace velmar
