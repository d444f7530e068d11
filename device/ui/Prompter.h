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
    // A question whose two answers are named for what they do: true only for `proceed`. `stay` is the
    // default, and Escape or closing the box means it too. Where answers carry no names (scripts,
    // tests) it is a Yes/No question.
    virtual bool Confirm(std::string_view text, std::string_view proceed, std::string_view stay,
                         std::string_view caption = {}) {
        static_cast<void>(proceed);
        static_cast<void>(stay);
        return Question(text, caption);
    }
    // OK only.
    virtual void Information(std::string_view text, std::string_view caption = {}) = 0;
    virtual void Warning(std::string_view text, std::string_view caption = {}) = 0;
};

}  // namespace velmar
