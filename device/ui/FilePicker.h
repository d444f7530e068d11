#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmar {

// What a file dialog is asked for. `filter` pairs are "description|pattern|description|pattern"
// ("Crosspoint status (*.xpt)|*.xpt|All Files (*.*)|*.*"); `defaultExtension` is added to a
// typed name that has none.
struct FileRequest {
    std::string_view title;
    std::string_view filter;
    std::string_view defaultExtension;
};

// File choices come through this so tests can script them. An empty result is a cancel.
class FilePicker {
  public:
    virtual ~FilePicker() = default;
    // An existing file.
    virtual std::string OpenFile(const FileRequest& request) = 0;
    // Several existing files, in the order the operator chose them.
    virtual std::vector<std::string> OpenFiles(const FileRequest& request) = 0;
    // A file to write; an existing one only after the operator confirmed overwriting it.
    virtual std::string SaveFile(const FileRequest& request) = 0;
};

}  // namespace velmar
