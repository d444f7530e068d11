#include "device/EchoProbe.h"

#include <array>
#include <cstring>

namespace velmar {

namespace {

constexpr std::array<char, 10> kEchoDatagram{10, 0, 'Z', 'E', 'L', ' ', 'E', 'c', 'h', 'o'};
constexpr auto kPeekInterval = std::chrono::milliseconds(50);

}  // namespace

void EchoProbe::Start(std::uint32_t address, std::uint16_t port, std::chrono::milliseconds limit, Done done) {
    Cancel();
    done_ = std::move(done);
    if (!socket_.Open()) {
        // Without a UDP socket the probe cannot tell; the TCP connect decides.
        Done callback = std::move(done_);
        done_ = nullptr;
        callback(true);
        return;
    }
    const auto sent = socket_.SendTo(address, port, kEchoDatagram);
    if (!sent || *sent != kEchoDatagram.size()) {
        Finish(false);
        return;
    }
    // The answer is looked for as soon as it is there; the 50 ms looks only count out the limit.
    socket_.SetReadableCallback([this] {
        if (Running() && Peek())
            Finish(answerMatched_);
    });
    peeksLeft_ = static_cast<int>(limit / kPeekInterval);
    if (peeksLeft_ < 1)
        peeksLeft_ = 1;
    if (Peek()) {
        Finish(answerMatched_);
        return;
    }
    peek_ = timers_.Start("echo peek", kPeekInterval, TimerMode::Repeat, [this] { OnPeekTimer(); });
}

void EchoProbe::OnPeekTimer() {
    if (!Running())
        return;
    if (Peek()) {
        Finish(answerMatched_);
    } else if (--peeksLeft_ <= 0) {
        Finish(false);
    }
}

bool EchoProbe::Peek() {
    std::array<char, 130> answer{};
    const auto received = socket_.TryReceive(answer);
    if (!received)
        return false;
    answerMatched_ = *received == kEchoDatagram.size() && answer[0] == kEchoDatagram[0] &&
                     std::memcmp(answer.data() + 2, kEchoDatagram.data() + 2, kEchoDatagram.size() - 2) == 0;
    return true;
}

void EchoProbe::Cancel() {
    if (!Running())
        return;
    peek_.Stop();
    socket_.SetReadableCallback(nullptr);
    socket_.Close();
    done_ = nullptr;
}

void EchoProbe::Finish(bool answered) {
    peek_.Stop();
    socket_.SetReadableCallback(nullptr);
    socket_.Close();
    Done done = std::move(done_);
    done_ = nullptr;
    if (done)
        done(answered);
}

}  // namespace velmar
