#pragma once

#include <string>
#include <string_view>

#include "device/EventHub.h"
#include "device/SessionEvents.h"
#include "device/ui/Prompter.h"

namespace velmar {

// The prompter every window is given: what it tells the operator (a file not written, a refused
// setting, a programming run's end) also goes to the event log, so that a message box closed in
// a hurry can still be read later. Questions are not logged; what the answer does is.
class NoticingPrompter final : public Prompter {
  public:
    NoticingPrompter(Prompter& shown, EventHub& events) : shown_(shown), events_(events) {}

    bool Question(std::string_view text, std::string_view caption = {}) override {
        return shown_.Question(text, caption);
    }
    bool Confirm(std::string_view text, std::string_view proceed, std::string_view stay,
                 std::string_view caption = {}) override {
        return shown_.Confirm(text, proceed, stay, caption);
    }
    void Information(std::string_view text, std::string_view caption = {}) override {
        events_.Publish(ConsoleNotice{NoticeLevel::Info, Entry(text, caption)});
        shown_.Information(text, caption);
    }
    void Warning(std::string_view text, std::string_view caption = {}) override {
        events_.Publish(ConsoleNotice{NoticeLevel::Warning, Entry(text, caption)});
        shown_.Warning(text, caption);
    }

  private:
    // One line in the log: the window's caption, then the message with its line breaks folded.
    static std::string Entry(std::string_view text, std::string_view caption) {
        std::string entry = caption.empty() ? std::string() : std::string(caption) + ": ";
        bool blank = false;
        for (const char c : text) {
            if (c == '\n' || c == '\r') {
                blank = true;
                continue;
            }
            if (blank && !entry.empty() && entry.back() != ' ')
                entry += ' ';
            blank = false;
            entry += c;
        }
        return entry;
    }

    Prompter& shown_;
    EventHub& events_;
};

}  // namespace velmar
