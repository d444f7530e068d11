#include "console/FrameSessions.h"

#include <QTimer>
#include <algorithm>

#include "platform/qt/QtDatagramSocket.h"
#include "platform/qt/QtTcpTransport.h"

namespace velmar {

struct FrameSessions::Entry {
    Entry(std::string_view at, DeviceMode how, ConsoleOptions with, TimerService& timers, LinkPorts ports,
          DryRunTransport::HeldLine heldLines = {})
        : address(at),
          mode(how),
          options(with),
          held(heldLines ? std::make_unique<DryRunTransport>(transport, std::move(heldLines)) : nullptr),
          session(held ? static_cast<LineTransport&>(*held) : transport, datagrams, timers, ports, with) {}

    std::string address;
    DeviceMode mode;
    ConsoleOptions options;
    std::size_t leases = 0;
    bool connectPending = true;
    // Declared before the session: its handles must go first.
    QtTcpTransport transport;
    QtDatagramSocket datagrams;
    std::unique_ptr<DryRunTransport> held;  // a preview's: never shared
    Session session;
};

FrameSessions::Lease::Lease(FrameSessions& owner, Entry& entry)
    : owner_(&owner), entry_(&entry), alive_(owner.alive_) {
    ++entry.leases;
}

FrameSessions::Lease::Lease(Lease&& other) noexcept
    : owner_(std::exchange(other.owner_, nullptr)),
      entry_(std::exchange(other.entry_, nullptr)),
      alive_(std::move(other.alive_)) {}

FrameSessions::Lease& FrameSessions::Lease::operator=(Lease&& other) noexcept {
    if (this != &other) {
        Reset();
        owner_ = std::exchange(other.owner_, nullptr);
        entry_ = std::exchange(other.entry_, nullptr);
        alive_ = std::move(other.alive_);
    }
    return *this;
}

FrameSessions::Lease::~Lease() {
    Reset();
}

Session& FrameSessions::Lease::Get() const {
    return entry_->session;
}

void FrameSessions::Lease::Hold() const {
    if (entry_ != nullptr && entry_->held)
        entry_->held->Hold();
}

void FrameSessions::Lease::Reset() {
    Entry* entry = std::exchange(entry_, nullptr);
    FrameSessions* owner = std::exchange(owner_, nullptr);
    if (entry != nullptr && !alive_.expired())
        owner->Release(*entry);
    alive_.reset();
}

FrameSessions::FrameSessions(TimerService& timers, LinkPorts ports) : timers_(timers), ports_(ports) {}

FrameSessions::~FrameSessions() {
    alive_.reset();
    for (auto& entry : open_) {
        if (entry->session.Connection().connected)
            entry->session.Disconnect();
    }
}

FrameSessions::Lease FrameSessions::Open(std::string_view address, DeviceMode mode, ConsoleOptions options) {
    const auto same = [&](const std::unique_ptr<Entry>& entry) {
        const ConsoleOptions& held = entry->options;
        return !entry->held && entry->address == address && entry->mode == mode &&
               held.telnet == options.telnet && held.xy == options.xy && held.zel == options.zel &&
               held.healthOnly == options.healthOnly;
    };
    if (const auto found = std::find_if(open_.begin(), open_.end(), same); found != open_.end())
        return Lease(*this, **found);
    // One let go of on this turn is taken up again, link and all.
    if (const auto found = std::find_if(closing_.begin(), closing_.end(), same); found != closing_.end()) {
        open_.push_back(std::move(*found));
        closing_.erase(found);
        return Lease(*this, *open_.back());
    }
    open_.push_back(std::make_unique<Entry>(address, mode, options, timers_, ports_));
    ScheduleTurn();
    return Lease(*this, *open_.back());
}

FrameSessions::Lease FrameSessions::OpenHeld(std::string_view address, DeviceMode mode,
                                             ConsoleOptions options, DryRunTransport::HeldLine held) {
    open_.push_back(std::make_unique<Entry>(address, mode, options, timers_, ports_, std::move(held)));
    ScheduleTurn();
    return Lease(*this, *open_.back());
}

void FrameSessions::Release(Entry& entry) {
    if (--entry.leases != 0)
        return;
    const auto found = std::find_if(open_.begin(), open_.end(),
                                    [&](const std::unique_ptr<Entry>& held) { return held.get() == &entry; });
    if (found == open_.end())
        return;
    closing_.push_back(std::move(*found));
    open_.erase(found);
    ScheduleTurn();
}

void FrameSessions::ScheduleTurn() {
    if (turnPending_)
        return;
    turnPending_ = true;
    QTimer::singleShot(0, &turns_, [this] { Turn(); });
}

void FrameSessions::Turn() {
    turnPending_ = false;
    // Taken out first: a session's Disconnect tells its listeners, and one may open another.
    std::vector<std::unique_ptr<Entry>> closing = std::move(closing_);
    closing_.clear();
    for (auto& entry : closing) {
        if (entry->session.Connection().connected)
            entry->session.Disconnect();
    }
    closing.clear();
    std::vector<Entry*> connecting;
    for (auto& entry : open_) {
        if (std::exchange(entry->connectPending, false))
            connecting.push_back(entry.get());
    }
    for (Entry* entry : connecting) {
        // A failed connect's listener may have let go of another one.
        const bool held = std::any_of(open_.begin(), open_.end(), [&](const std::unique_ptr<Entry>& open) {
            return open.get() == entry;
        });
        // The first holder may have connected it already.
        if (held && !entry->session.HasTarget())
            entry->session.Connect(entry->address, entry->mode, ModelClass::Full);
    }
}

}  // namespace velmar
