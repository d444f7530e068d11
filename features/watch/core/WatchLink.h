#pragma once

#include <functional>
#include <memory>
#include <string>

#include "device/ConnectionState.h"
#include "device/Session.h"

namespace velmar {

// A watch's own health-only session to its frame, held while the watch uses it; letting go of it
// closes the link (at once, or when its last other holder lets go).
class WatchLink {
  public:
    virtual ~WatchLink() = default;
    virtual Session& Get() = 0;
};

// Gives a watch its own link: the CLI builds a session on its sockets, the console leases one
// from the sessions it holds. The session may be new (the watch connects it) or already connected.
using WatchLinkOpener =
    std::function<std::unique_ptr<WatchLink>(const std::string& address, DeviceMode mode)>;

// What a watch's own session is opened with: the health words only, never a set.
inline ConsoleOptions HealthOnlyOptions() {
    ConsoleOptions options;
    options.healthOnly = true;
    return options;
}

}  // namespace velmar
