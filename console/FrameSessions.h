#pragma once

#include <QObject>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "device/ConnectionState.h"
#include "device/DryRunTransport.h"
#include "device/LinkPorts.h"
#include "device/Session.h"
#include "device/TimerService.h"

namespace velmar {

// The console's sessions with frames other than the focused one. Anything in the console that
// needs a frame beside the focused one opens it here and holds the lease while it uses it: the
// session, its TCP transport and echo socket belong to this object. Leases of the same address,
// mode and options share one session and one link. A new session connects on the next turn of
// the loop (so that its first holder subscribes before anything can happen); when the last lease
// goes, the session is closed and destroyed on a later turn, never inside one of its callbacks.
class FrameSessions {
    struct Entry;

  public:
    class Lease {
      public:
        Lease() = default;
        Lease(Lease&& other) noexcept;
        Lease& operator=(Lease&& other) noexcept;
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        ~Lease();

        Session& Get() const;
        // A held lease's session sends nothing more from now on: its lines go to the callback.
        void Hold() const;
        explicit operator bool() const { return entry_ != nullptr; }
        void Reset();

      private:
        friend class FrameSessions;
        Lease(FrameSessions& owner, Entry& entry);

        FrameSessions* owner_ = nullptr;
        Entry* entry_ = nullptr;
        // The leases of a window the core outlives never see it go; this is for the others.
        std::weak_ptr<void> alive_;
    };

    FrameSessions(TimerService& timers, LinkPorts ports);
    ~FrameSessions();
    FrameSessions(const FrameSessions&) = delete;
    FrameSessions& operator=(const FrameSessions&) = delete;

    Lease Open(std::string_view address, DeviceMode mode, ConsoleOptions options);
    // A session of its own, never shared with another lease: it reads the frame as usual, and once
    // the lease's Hold() is called it hands every line it would send to `held` instead (a preview).
    Lease OpenHeld(std::string_view address, DeviceMode mode, ConsoleOptions options,
                   DryRunTransport::HeldLine held);
    // Sessions held by at least one lease.
    std::size_t Count() const { return open_.size(); }

  private:
    void Release(Entry& entry);
    void ScheduleTurn();
    void Turn();

    TimerService& timers_;
    LinkPorts ports_;
    std::vector<std::unique_ptr<Entry>> open_;
    std::vector<std::unique_ptr<Entry>> closing_;
    std::shared_ptr<void> alive_ = std::make_shared<int>(0);
    QObject turns_;
    bool turnPending_ = false;
};

}  // namespace velmar
