#pragma once

#include <string_view>

#include "device/ConnectionState.h"

namespace velmar {

// "application", "recovery" or "mode 2", as the CLI's reports and the watch say it.
inline std::string_view ModeName(DeviceMode mode) {
    switch (mode) {
        case DeviceMode::Recovery:
            return "recovery";
        case DeviceMode::Mode2:
            return "mode 2";
        case DeviceMode::Application:
            break;
    }
    return "application";
}

}  // namespace velmar
