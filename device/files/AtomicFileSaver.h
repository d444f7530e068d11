#pragma once

#include <string>
#include <string_view>

namespace velmar {

// Saves a file whole or not at all. The bytes go to a temporary of a name no one else holds,
// made exclusively beside the target, are synced, and are renamed over the target; then the
// folder is synced. A symbolic link is followed, so its target is replaced and the link stays.
// A target that exists and is not a regular file (a folder, device, FIFO) is refused. On any
// failure the old file is left as it was and the temporary is removed.
class AtomicFileSaver {
  public:
    // `kind` names the format in the message ("settings file").
    explicit AtomicFileSaver(std::string_view kind) : kind_(kind) {}

    // Empty on success, else a sentence naming the file and why it was not written.
    std::string Save(const std::string& path, std::string_view bytes) const;

  private:
    std::string kind_;
};

}  // namespace velmar
