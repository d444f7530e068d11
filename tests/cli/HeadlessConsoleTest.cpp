#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/HeadlessConsole.h"
#include "sim/Rack.h"
#include "sim/RackConfig.h"
#include "tests/device/CoreFakes.h"

namespace velmar::test {
namespace {

using namespace std::chrono_literals;

// The K5A of the default rack in process, behind a transport the test scripts: replies wait in
// an outbox until the test delivers them, and the test may hold some back or add its own lines.
class ScriptedFrameTransport final : public LineTransport {
  public:
    ScriptedFrameTransport() : rack_(Descriptions()) {}

    void SetListener(TransportListener* listener) override { listener_ = listener; }
    int Connect(std::uint32_t, std::uint16_t) override {
        open_ = true;
        return 0;
    }
    void Send(std::span<const char> bytes) override {
        std::string text(bytes.data(), bytes.size());
        CommandMessage request;
        for (std::size_t pos = 0; pos < text.size();) {
            const ReadResult read =
                reader_.Read(std::span<char>(text.data() + pos, text.size() - pos), request, Side::Request);
            if (read.consumed == 0)
                break;
            pos += read.consumed;
            if (!read.lineRead)
                continue;
            sim::Responses out;
            rack_.At(0).Handle(request, out, 0);
            outbox_ += out.reply;
        }
    }
    ReceiveResult Receive(std::span<char> into) override {
        const std::size_t n = std::min(inbox_.size(), into.size());
        if (n == 0)
            return {};
        inbox_.copy(into.data(), n);
        inbox_.erase(0, n);
        return {ReceiveResult::Kind::Data, n};
    }
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }

    void FinishConnect() { listener_->OnConnected(0); }
    // Delivers the replies written so far, keeping back the lines of words in `held`.
    void Deliver(const std::vector<std::string>& held = {}) {
        std::string kept;
        for (std::size_t start = 0, end; (end = outbox_.find('\r', start)) != std::string::npos;
             start = end + 1) {
            const std::string line = outbox_.substr(start, end - start + 1);
            const bool hold = std::any_of(held.begin(), held.end(), [&](const std::string& word) {
                return line.rfind(":" + word + ",", 0) == 0;
            });
            (hold ? kept : inbox_) += line;
        }
        outbox_ = kept;
        listener_->OnReadable();
    }
    void Inject(const std::string& lines) { outbox_ = lines + outbox_; }

  private:
    static std::vector<sim::FrameDescription> Descriptions() {
        std::vector<sim::FrameDescription> descriptions = sim::RackConfig::DefaultRack();
        sim::RackConfig::AssignAddresses(descriptions);
        return descriptions;
    }

    sim::Rack rack_;
    MessageCodec reader_;
    TransportListener* listener_ = nullptr;
    bool open_ = false;
    std::string outbox_;
    std::string inbox_;
};

// The headless console on fakes: the frame's answers arrive when the test says, time moves
// when the test says.
class HeadlessConsoleTest : public ::testing::Test {
  protected:
    HeadlessConsoleTest()
        : session(frame, datagrams, timers, LinkPorts{}, ConsoleOptions{}), console(session) {
        session.Connect("127.0.0.2", DeviceMode::Application, ModelClass::Full);
        frame.FinishConnect();
    }

    // Lets three seconds pass in steps, the frame answering as it goes.
    void Run(const std::vector<std::string>& held) {
        for (int step = 0; step < 30; ++step) {
            frame.Deliver(held);
            timers.Advance(100ms);
        }
        frame.Deliver(held);
    }

    FakeTimerService timers;
    FakeDatagramSocket datagrams;
    ScriptedFrameTransport frame;
    Session session;
    HeadlessConsole console;
};

// Stray ':' lines of the same word (answers meant for requests long gone) and a late list run
// used to fill the count of replies: routes showed 40 of 1536 outputs as a complete read.
TEST_F(HeadlessConsoleTest, StrayRepliesDoNotStandInForMissingRuns) {
    std::string strays;
    for (int output = 1; output <= 40; ++output)
        strays += ":gcross,0," + std::to_string(output) + ",5\r:lcross,0,1,1,9\r";
    frame.Inject(strays);
    Run({"lcross"});
    ASSERT_TRUE(session.Connection().connected);
    EXPECT_FALSE(console.FrameRead());
    // 1536 channels in runs of 128
    EXPECT_EQ(console.UnansweredText(2), "lcross 1..128, lcross 129..256, and 10 more");

    Run({});
    EXPECT_TRUE(console.FrameRead());
}

}  // namespace
}  // namespace velmar::test
