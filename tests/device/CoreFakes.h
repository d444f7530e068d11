#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "device/DatagramSocket.h"
#include "device/LineTransport.h"
#include "device/TimerService.h"
#include "device/ViewRegistry.h"

namespace velmar::test {

// A clock that moves only when the test says so.
class FakeTimerService final : public TimerService {
  public:
    void SetListener(TimerListener* listener) override { listener_ = listener; }
    void Start(TimerId id, std::chrono::milliseconds interval, bool repeating) override {
        timers_[id] = {now_ + interval, interval, repeating};
        started.push_back({id, interval});
    }
    void Stop(TimerId id) override { timers_.erase(id); }
    bool IsRunning(TimerId id) const { return timers_.contains(id); }

    std::optional<std::chrono::milliseconds> Remaining(TimerId id) const {
        auto it = timers_.find(id);
        if (it == timers_.end())
            return std::nullopt;
        return it->second.deadline - now_;
    }

    // Moves the clock, firing every timer that falls due on the way, in deadline order.
    void Advance(std::chrono::milliseconds step) {
        const auto end = now_ + step;
        while (true) {
            auto next = timers_.end();
            for (auto it = timers_.begin(); it != timers_.end(); ++it) {
                if (it->second.deadline <= end &&
                    (next == timers_.end() || it->second.deadline < next->second.deadline)) {
                    next = it;
                }
            }
            if (next == timers_.end())
                break;
            now_ = next->second.deadline;
            const TimerId id = next->first;
            if (next->second.repeating) {
                next->second.deadline = now_ + next->second.interval;
            } else {
                timers_.erase(next);
            }
            if (listener_ != nullptr)
                listener_->OnTimer(id);
        }
        now_ = end;
    }

    std::vector<std::pair<TimerId, std::chrono::milliseconds>> started;

  private:
    struct Timer {
        std::chrono::milliseconds deadline;
        std::chrono::milliseconds interval;
        bool repeating;
    };
    TimerListener* listener_ = nullptr;
    std::chrono::milliseconds now_{0};
    std::map<TimerId, Timer> timers_;
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

class RecordingMatrix final : public MatrixView {
  public:
    void RefreshRow(std::int32_t output) override { rows.push_back(output); }
    void RebuildList() override { ++rebuilds; }
    void RebuildTypeSelectors() override { ++selectorRebuilds; }
    void RefillIpChannels(bool outputSide) override { refills.push_back(outputSide); }
    void ClearList() override { ++clears; }

    std::vector<std::int32_t> rows;
    int rebuilds = 0;
    int selectorRebuilds = 0;
    int clears = 0;
    std::vector<bool> refills;
};

class RecordingMainWindow final : public MainWindowView {
  public:
    void SetTitle(std::string_view text) override { title = text; }
    void SetConnectedRowText(int column, std::string_view text) override { row[column] = text; }
    void RemoveConnectedRow() override { ++rowsRemoved; }
    void SetSettingsEnabled(bool enabled) override { settingsEnabled = enabled; }
    void ConnectionChanged(bool connected) override { connectionChanges.push_back(connected); }
    void ConnectFailed(int error) override { failures.push_back(error); }

    std::string title;
    std::map<int, std::string> row;
    int rowsRemoved = 0;
    bool settingsEnabled = false;
    std::vector<bool> connectionChanges;
    std::vector<int> failures;
};

class RecordingLabels final : public ChannelLabelsView {
  public:
    void SetLabel(std::int32_t selector, std::int32_t channel, std::string_view text) override {
        labels.push_back({selector, channel, std::string(text)});
    }
    void RefreshLine(std::int32_t) override {}
    void TakeAllLabels(const DeviceState&) override { ++takeAll; }

    struct Label {
        std::int32_t selector;
        std::int32_t channel;
        std::string text;
    };
    std::vector<Label> labels;
    int takeAll = 0;
};

// A firmware image given as lines.
class ScriptedFirmwareRun final : public FirmwareRun {
  public:
    explicit ScriptedFirmwareRun(std::vector<std::string> lines) : lines_(std::move(lines)) {}
    bool IsActive() const override { return active_; }
    bool Open() override {
        active_ = true;
        return true;
    }
    Line NextLine(std::string& record) override {
        if (next_ >= lines_.size())
            return Line::End;
        record = lines_[next_++];
        if (record.empty())
            return Line::Empty;
        return record[0] == 'S' ? Line::Record : Line::End;
    }
    void RecordSent() override { ++recordsSent; }
    void ImageClosed() override { ++closed; }
    bool FinishRun() override {
        active_ = false;
        return restartAnswer;
    }

    int recordsSent = 0;
    int closed = 0;
    bool restartAnswer = true;

  private:
    std::vector<std::string> lines_;
    std::size_t next_ = 0;
    bool active_ = false;
};

}  // namespace velmar::test
