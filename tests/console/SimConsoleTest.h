#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "console/ConsoleCore.h"
#include "console/MainWindow.h"
#include "platform/qt/QtProfileStore.h"
#include "tests/console/ConsoleTestSupport.h"
#include "tests/support/SimProcess.h"

namespace velmar::test {

// What a console core is given in the window tests: a simulated rack on loopback, a profile of
// its own, and a prompter and file picker that answer from a script.
class SimConsoleTest : public ::testing::Test {
  protected:
    explicit SimConsoleTest(std::vector<std::string> simArguments = {})
        : simArguments_(std::move(simArguments)) {}

    void SetUp() override {
        EnsureApplication();
        sim_ = std::make_unique<SimProcess>(simArguments_);
        sim_->ExportPorts();
        ASSERT_TRUE(dir_.isValid());
        profile_ = std::make_unique<QtProfileStore>(dir_.filePath(QStringLiteral("profile.ini")));
    }

    ConsoleServices Services() { return ConsoleServices{&prompter_, &files_, profile_.get()}; }

    // The device list's row showing `addressText` ("127.0.0.2", "*127.0.0.5"), or -1.
    static int RowOf(MainWindow& window, std::string_view addressText) {
        const auto& rows = window.Finder().List().Rows();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].Column(DeviceColumn::Address) == addressText)
                return static_cast<int>(i);
        }
        return -1;
    }

    std::unique_ptr<SimProcess> sim_;
    QTemporaryDir dir_;
    std::unique_ptr<QtProfileStore> profile_;
    ScriptedPrompter prompter_;
    ScriptedFilePicker files_;

  private:
    std::vector<std::string> simArguments_;
};

}  // namespace velmar::test
