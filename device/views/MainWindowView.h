#pragma once

#include <string_view>

namespace velmar {

// The main window as the core sees it: title, the connected device-list row, the Settings button
// and the outcome of a connect.
class MainWindowView {
  public:
    virtual void SetTitle(std::string_view title) = 0;
    // Column 1 ID, 2 Name, 3 Type, 4 S/N of the row whose address is the connected frame.
    virtual void SetConnectedRowText(int column, std::string_view text) = 0;
    virtual void RemoveConnectedRow() = 0;
    virtual void SetSettingsEnabled(bool enabled) = 0;
    // After SetConnected: controls follow the new state.
    virtual void ConnectionChanged(bool connected) = 0;
    // Connect failed; the window shows kConnectFailedText.
    virtual void ConnectFailed(int error) = 0;

  protected:
    ~MainWindowView() = default;
};

inline constexpr std::string_view kConnectFailedText = "Connect failed, target not responding";

}  // namespace velmar
