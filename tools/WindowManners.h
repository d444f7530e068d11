#pragma once

#include <QObject>

namespace velmar {

class ConsoleCore;
class MainWindow;

// How the main window sits on the desktop: a minimum size that keeps every control readable, a
// first size that fits the screen, geometry, docks and splitter as the operator left them
// (profile section "Window"), and Enter on a device row connects it.
class WindowManners final : public QObject {
  public:
    static constexpr int kMinimumWidth = 900;
    static constexpr int kMinimumHeight = 560;

    WindowManners(MainWindow& window, ConsoleCore& core);

    void Restore();
    void Save();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    MainWindow& window_;
    ConsoleCore& core_;
    const QObject* deviceList_ = nullptr;
};

}  // namespace velmar
