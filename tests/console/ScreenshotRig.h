#pragma once

#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <string>

#include "console/ConsoleCore.h"
#include "console/MainWindow.h"
#include "platform/qt/QtProfileStore.h"
#include "tests/console/ConsoleTestSupport.h"
#include "tests/support/SimProcess.h"

namespace velmar::test {

// What every README screenshot program stands on: the simulated rack on ports of its own, a
// profile that no earlier run has written to, scripted answers and file names, and the console
// core. Loopback only, whatever the caller's environment says.
class ScreenshotRig {
  public:
    explicit ScreenshotRig(ConsoleOptions options = {});
    ScreenshotRig(const ScreenshotRig&) = delete;
    ScreenshotRig& operator=(const ScreenshotRig&) = delete;

    SimProcess& Sim() { return sim_; }
    ScriptedPrompter& Prompter() { return prompter_; }
    ScriptedFilePicker& Files() { return files_; }
    ConsoleCore& Core() { return *core_; }
    Session& GetSession() { return core_->GetSession(); }
    // A file name in a folder removed with the rig.
    QString TempPath(const QString& name) const { return folder_.filePath(name); }

    // Made on the first call and not shown: the caller installs its units and sizes it first.
    MainWindow& Window();
    // As an operator would: waits until the finder lists every frame of the rack, connects the
    // row of `address` and waits until the frame's settings can be opened.
    bool ConnectListed(const std::string& address);
    // Without a window: connects the session straight to `address` and waits until `read` holds,
    // what the caller goes on to show being all that needs to have arrived.
    bool Connect(const std::string& address, const std::function<bool()>& read);

  private:
    QApplication& app_;
    SimProcess sim_;
    QTemporaryDir folder_;
    QtProfileStore profile_;
    ScriptedPrompter prompter_;
    ScriptedFilePicker files_;
    std::unique_ptr<ConsoleCore> core_;
    std::unique_ptr<MainWindow> window_;
};

}  // namespace velmar::test
