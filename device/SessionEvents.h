#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "device/FrameCapabilities.h"

namespace velmar {

// What the frame offers changed: its type, boards or main software arrived.
struct CapabilitiesChanged {
    FrameCapabilities capabilities;
};

// Which interfaces the frame routes changed (a card's or an SFP module's mode, redundancy, the
// MADI output mode): routing type selectors are built again.
struct ChannelLayoutChanged {};

// The link to a frame came up (after the connect) or went down (closed, replaced, silent).
struct ConnectionChanged {
    bool connected = false;
};

// Why a link went down without the operator asking.
enum class LinkLossReason : std::uint8_t {
    Silent,         // the frame stopped answering the keep-alive
    ClosedByFrame,  // the frame closed the connection
};

// The link went down on its own; ConnectionChanged{false} follows.
struct LinkLost {
    LinkLossReason reason = LinkLossReason::Silent;
    std::string address;
    std::chrono::system_clock::time_point since{};  // by the core's clock
};

// A connect ended without a link; the window shows kConnectFailedText.
struct ConnectFailed {
    int error = 0;
};

inline constexpr std::string_view kConnectFailedText = "Connect failed, target not responding";

// The main window's title for the current connection.
struct TitleChanged {
    std::string title;
};

// The frame has been read far enough for its settings to be edited (or no longer is).
struct SettingsAvailability {
    bool available = false;
};

// The connected frame is restarting and leaves the device list until it answers again.
struct FrameLeaving {
    std::uint32_t address = 0;
};

enum class NoticeLevel : std::uint8_t { Info, Warning, Error };

// Something a window or a tool did or could not do that the operator should find in the log
// later (a file not written, an undo refused, a programming run's end).
struct ConsoleNotice {
    NoticeLevel level = NoticeLevel::Info;
    std::string text;
};

}  // namespace velmar
