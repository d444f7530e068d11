// Reads arbitrary bytes as a .cfg settings file, as the settings editor and velmar-cli settings
// apply do. A refused file changes nothing; an accepted one writes out and reads back to the
// same file.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "features/settings/core/SettingsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > velmar::kSettingsFileLimit)
        return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto config = std::make_unique<velmar::ConfigBlock>();
    const std::string before = velmar::SettingsFileText(*config);
    if (velmar::ReadSettingsText(bytes, *config)) {
        if (velmar::SettingsFileText(*config) != before)
            __builtin_trap();
        return 0;
    }
    const std::string written = velmar::SettingsFileText(*config);
    auto again = std::make_unique<velmar::ConfigBlock>();
    if (velmar::ReadSettingsText(written, *again) || velmar::SettingsFileText(*again) != written)
        __builtin_trap();
    return 0;
}
