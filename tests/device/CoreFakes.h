#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "device/DatagramSocket.h"
#include "device/DeadlineTimers.h"
#include "device/EventHub.h"
#include "device/LineTransport.h"
#include "device/SessionEvents.h"
#include "features/clock/core/ClockEvents.h"
#include "features/identity/core/IdentityEvents.h"
#include "features/networkaudio/core/NetworkAudioEvents.h"
#include "features/routing/core/RoutingEvents.h"

namespace velmar::test {

// A clock that moves only when the test says so.
class FakeTimerService final : public DeadlineTimers {
  public:
    TimerHandle Start(std::string_view name, std::chrono::milliseconds interval, TimerMode mode,
                      std::function<void()> expired) override {
        started.push_back({std::string(name), interval});
        return DeadlineTimers::Start(name, interval, mode, std::move(expired));
    }

    // Far from the machine's own time of day, so that a text showing it cannot pass by chance.
    std::chrono::system_clock::time_point WallTime() const override {
        return kWallBase + std::chrono::duration_cast<std::chrono::system_clock::duration>(now_);
    }
    static constexpr std::chrono::system_clock::time_point kWallBase{std::chrono::seconds(1000000000)};

    bool HasTimer(std::string_view name) const { return Find(name).has_value(); }
    std::optional<std::chrono::milliseconds> Remaining(std::string_view name) const {
        const auto timer = Find(name);
        if (!timer)
            return std::nullopt;
        return std::chrono::duration_cast<std::chrono::milliseconds>(timer->deadline - now_);
    }

    // Moves the clock, firing every timer that falls due on the way, in deadline order.
    void Advance(std::chrono::milliseconds step) {
        const Time end = now_ + step;
        while (FireEarliest(end)) {
        }
        now_ = end;
    }

    std::vector<std::pair<std::string, std::chrono::milliseconds>> started;

  protected:
    Time Now() const override { return now_; }
    void Reached(Time deadline) override { now_ = deadline; }

  private:
    std::optional<Info> Find(std::string_view name) const {
        for (const Info& timer : Running()) {
            if (timer.name == name)
                return timer;
        }
        return std::nullopt;
    }

    Time now_{0};
};

// Records what the link sends as lines (carriage return removed) and lets the test feed bytes in.
class RecordingTransport final : public LineTransport {
  public:
    void SetListener(TransportListener* listener) override { listener_ = listener; }
    int Connect(std::uint32_t address, std::uint16_t port) override {
        connects.push_back({address, port});
        open_ = true;
        return connectError;
    }
    void Send(std::span<const char> bytes) override {
        pending_.append(bytes.data(), bytes.size());
        std::size_t cr;
        while ((cr = pending_.find('\r')) != std::string::npos) {
            sent.push_back(pending_.substr(0, cr));
            pending_.erase(0, cr + 1);
        }
    }
    ReceiveResult Receive(std::span<char> into) override {
        if (closeNext_ && incoming_.empty()) {
            closeNext_ = false;
            return {ReceiveResult::Kind::Closed, 0};
        }
        if (incoming_.empty())
            return {};
        std::string& chunk = incoming_.front();
        const std::size_t n = std::min(chunk.size(), into.size());
        chunk.copy(into.data(), n);
        chunk.erase(0, n);
        if (chunk.empty())
            incoming_.pop_front();
        return {ReceiveResult::Kind::Data, n};
    }
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }

    void FinishConnect(int error = 0) { listener_->OnConnected(error); }
    // One receive notification carrying `bytes` (handed out in as many receives as the reader asks).
    void Deliver(const std::string& bytes) {
        incoming_.push_back(bytes);
        listener_->OnReadable();
    }
    void PeerCloses() {
        closeNext_ = true;
        listener_->OnReadable();
    }
    std::vector<std::string> TakeSent() {
        std::vector<std::string> lines;
        lines.swap(sent);
        return lines;
    }

    int connectError = 0;
    std::vector<std::pair<std::uint32_t, std::uint16_t>> connects;
    std::vector<std::string> sent;

  private:
    TransportListener* listener_ = nullptr;
    bool open_ = false;
    bool closeNext_ = false;
    std::string pending_;
    std::deque<std::string> incoming_;
};

// Answers the echo probe at once, or never.
class FakeDatagramSocket final : public DatagramSocket {
  public:
    bool Open() override { return canOpen; }
    std::optional<std::size_t> SendTo(std::uint32_t address, std::uint16_t port,
                                      std::span<const char> bytes) override {
        probes.push_back({address, port});
        if (answer)
            last_.assign(bytes.begin(), bytes.end());
        return bytes.size();
    }
    std::optional<std::size_t> TryReceive(std::span<char> into) override {
        if (last_.empty())
            return std::nullopt;
        const std::size_t n = std::min(last_.size(), into.size());
        std::copy_n(last_.begin(), n, into.begin());
        last_.clear();
        return n;
    }
    void Close() override {}
    void SetReadableCallback(std::function<void()>) override {}

    bool canOpen = true;
    bool answer = true;
    std::vector<std::pair<std::uint32_t, std::uint16_t>> probes;

  private:
    std::vector<char> last_;
};

// Everything a window would hear from the session, kept for the test to look at.
class EventRecorder {
  public:
    explicit EventRecorder(EventHub& events) {
        Listen<TitleChanged>(events, [this](const TitleChanged& e) { title = e.title; });
        Listen<ConnectionChanged>(
            events, [this](const ConnectionChanged& e) { connectionChanges.push_back(e.connected); });
        Listen<ConnectFailed>(events, [this](const ConnectFailed& e) { failures.push_back(e.error); });
        Listen<SettingsAvailability>(
            events, [this](const SettingsAvailability& e) { settingsEnabled = e.available; });
        Listen<FrameLeaving>(events, [this](const FrameLeaving&) { ++framesLeaving; });
        Listen<DeviceIdChanged>(events, [this](const DeviceIdChanged& e) {
            row[1] = std::to_string(e.deviceId);
            row[2] = e.name;
        });
        Listen<DeviceInfoChanged>(events, [this](const DeviceInfoChanged& e) {
            row[3] = e.type;
            row[4] = e.serial;
        });
        Listen<CrosspointChanged>(events, [this](const CrosspointChanged& e) { crosspoints.push_back(e); });
        Listen<CrosspointRefused>(events, [this](const CrosspointRefused& e) { refusals.push_back(e); });
        Listen<MatrixRead>(events, [this](const MatrixRead&) { ++matrixReads; });
        Listen<ChannelLayoutChanged>(events, [this](const ChannelLayoutChanged&) { ++layoutChanges; });
        Listen<CapabilitiesChanged>(events, [this](const CapabilitiesChanged&) { ++capabilityChanges; });
        Listen<IpChannelsChanged>(events,
                                  [this](const IpChannelsChanged& e) { ipRefills.push_back(e.transmit); });
        Listen<SyncStatusChanged>(events, [this](const SyncStatusChanged&) { ++syncReports; });
        Listen<PowerStatusChanged>(events, [this](const PowerStatusChanged&) { ++powerReports; });
    }

    std::string title;
    std::map<int, std::string> row;
    int framesLeaving = 0;
    bool settingsEnabled = false;
    std::vector<bool> connectionChanges;
    std::vector<int> failures;
    std::vector<CrosspointChanged> crosspoints;
    std::vector<CrosspointRefused> refusals;
    int matrixReads = 0;
    int layoutChanges = 0;
    int capabilityChanges = 0;
    std::vector<bool> ipRefills;
    int syncReports = 0;
    int powerReports = 0;

  private:
    template <typename Event, typename Listener>
    void Listen(EventHub& events, Listener listener) {
        subscriptions_.push_back(events.Subscribe<Event>(std::move(listener)));
    }

    Subscriptions subscriptions_;
};

}  // namespace velmar::test
