#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QTest>
#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "device/ui/FilePicker.h"
#include "device/ui/Prompter.h"

namespace velmar::test {

// One QApplication for the whole test binary (offscreen, set by the test environment).
inline QApplication& EnsureApplication() {
    static int argc = 1;
    static char name[] = "velmar-console-tests";
    static char* argv[] = {name, nullptr};
    // Headless unless a platform or a display is given.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // A test binary whose main made the application already gets that one, never a second.
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance()))
        return *existing;
    // Never destroyed: it must outlive every window and thread the tests leave to static teardown.
    static auto* app = new QApplication(argc, argv);
    return *app;
}

// Runs the event loop until `done` holds or `timeout` passes; the result is `done()`.
inline bool WaitUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeout.count())
            return false;
        QTest::qWait(10);
    }
    return true;
}

// A shown window is wide enough for its title beside the title bar's icon and buttons.
inline bool TitleFits(const QWidget& window) {
    QFont bold = window.font();
    bold.setBold(true);
    return window.isVisible() &&
           window.width() >= QFontMetrics(bold).horizontalAdvance(window.windowTitle()) + 60;
}

// Answers questions from a script (No when the script is empty) and records everything shown.
class ScriptedPrompter final : public Prompter {
  public:
    bool Question(std::string_view text, std::string_view caption) override {
        Record("question", text, caption);
        if (answers.empty())
            return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void Information(std::string_view text, std::string_view caption) override {
        Record("information", text, caption);
    }
    void Warning(std::string_view text, std::string_view caption) override {
        Record("warning", text, caption);
    }

    std::deque<bool> answers;
    std::vector<std::string> shown;  // "kind: text"

  private:
    void Record(std::string_view kind, std::string_view text, std::string_view /*caption*/) {
        shown.push_back(std::string(kind) + ": " + std::string(text));
    }
};

// Hands out scripted file names and records the requests.
class ScriptedFilePicker final : public FilePicker {
  public:
    std::string OpenFile(const FileRequest& request) override { return Next(request); }
    std::vector<std::string> OpenFiles(const FileRequest& request) override {
        const std::string name = Next(request);
        return name.empty() ? std::vector<std::string>{} : std::vector<std::string>{name};
    }
    std::string SaveFile(const FileRequest& request) override { return Next(request); }

    std::deque<std::string> names;
    std::vector<std::string> titles;

  private:
    std::string Next(const FileRequest& request) {
        titles.emplace_back(request.title);
        if (names.empty())
            return {};
        std::string name = names.front();
        names.pop_front();
        return name;
    }
};

}  // namespace velmar::test
