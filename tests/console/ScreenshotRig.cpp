#include "tests/console/ScreenshotRig.h"

#include <chrono>
#include <cstdlib>

namespace velmar::test {

namespace {

// Runs before the simulator and the core exist, which read the environment once.
QApplication& LoopbackApplication() {
    setenv("VELMAR_INTERFACES", "lo", 1);
    QApplication& app = EnsureApplication();
    app.setApplicationName(QStringLiteral("Velmar"));
    return app;
}

}  // namespace

ScreenshotRig::ScreenshotRig(ConsoleOptions options)
    : app_(LoopbackApplication()), profile_(folder_.filePath(QStringLiteral("profile.ini"))) {
    // The core finds the rack on the ports the simulator chose, read when it is made.
    sim_.ExportPorts();
    core_ = std::make_unique<ConsoleCore>(options, ConsoleServices{&prompter_, &files_, &profile_});
}

MainWindow& ScreenshotRig::Window() {
    if (!window_)
        window_ = std::make_unique<MainWindow>(*core_);
    return *window_;
}

bool ScreenshotRig::ConnectListed(const std::string& address) {
    MainWindow& window = Window();
    if (!WaitUntil([&] { return window.Finder().List().Size() == sim_.FrameLines().size(); }))
        return false;
    const auto& rows = window.Finder().List().Rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].Column(DeviceColumn::Address) == address)
            window.ConnectRow(static_cast<int>(i));
    }
    return WaitUntil([&] { return window.SettingsButton().isEnabled(); });
}

bool ScreenshotRig::Connect(const std::string& address, const std::function<bool()>& read) {
    GetSession().Connect(address, DeviceMode::Application, ModelClass::Full);
    return WaitUntil(read, std::chrono::seconds(10));
}

}  // namespace velmar::test
