#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>

namespace velmar::test {

// A temporary folder of this test process's own. ctest runs tests side by side, each in its own
// process, so a fixed file name in the shared temporary folder is written and removed under
// another test's feet.
inline std::string OwnTempFolder() {
    static const std::string folder = [] {
        const std::filesystem::path path =
            std::filesystem::temp_directory_path() / ("velmar-test-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        return path.string();
    }();
    return folder;
}

}  // namespace velmar::test
