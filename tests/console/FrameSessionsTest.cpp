#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>
#include <string>

#include "console/ConsoleCore.h"
#include "console/FrameSessions.h"
#include "tests/console/SimConsoleTest.h"

namespace velmar {
namespace {

// The sessions a console core holds beside the focused one, against a simulated rack.
class FrameSessionsTest : public test::SimConsoleTest {
  protected:
    void SetUp() override {
        SimConsoleTest::SetUp();
        core_ = std::make_unique<ConsoleCore>(ConsoleOptions{}, Services());
    }

    // How many connections the simulated frame has open.
    int Clients(const std::string& address) {
        const std::string info = sim_->Do("info " + address);
        const auto at = info.find("clients=");
        return at == std::string::npos ? -1 : std::stoi(info.substr(at + 8));
    }
    bool WaitClients(const std::string& address, int count) {
        return test::WaitUntil([&] { return Clients(address) == count; });
    }

    static ConsoleOptions Health() {
        ConsoleOptions options;
        options.healthOnly = true;
        return options;
    }

    std::unique_ptr<ConsoleCore> core_;
};

TEST_F(FrameSessionsTest, LeasesOfOneFrameShareOneLinkThatLastsUntilTheLastLeaseGoes) {
    FrameSessions& frames = core_->Frames();
    FrameSessions::Lease first = frames.Open("127.0.0.2", DeviceMode::Application, Health());
    FrameSessions::Lease second = frames.Open("127.0.0.2", DeviceMode::Application, Health());
    FrameSessions::Lease other = frames.Open("127.0.0.3", DeviceMode::Application, Health());
    EXPECT_EQ(&first.Get(), &second.Get());
    EXPECT_EQ(frames.Count(), 2u);
    ASSERT_TRUE(test::WaitUntil([&] { return first.Get().Connection().connected; }))
        << "a lease's session connects by itself";
    EXPECT_EQ(Clients("127.0.0.2"), 1);
    EXPECT_FALSE(core_->GetSession().Connection().connected) << "the focused session is not one of them";

    first.Reset();
    QTest::qWait(100);
    EXPECT_TRUE(second.Get().Connection().connected);
    EXPECT_EQ(Clients("127.0.0.2"), 1);

    second = FrameSessions::Lease();
    EXPECT_EQ(frames.Count(), 1u);
    EXPECT_TRUE(WaitClients("127.0.0.2", 0));
    EXPECT_TRUE(WaitClients("127.0.0.3", 1));
}

TEST_F(FrameSessionsTest, ALeaseMayBeLetGoInsideItsSessionsOwnEventsAndMayOutliveTheCore) {
    FrameSessions::Lease lease = core_->Frames().Open("127.0.0.4", DeviceMode::Application, Health());
    Subscription dropper = lease.Get().Events().Subscribe<ConnectionChanged>([&](const ConnectionChanged& e) {
        if (e.connected)
            lease.Reset();
    });
    ASSERT_TRUE(test::WaitUntil([&] { return !lease; }));
    EXPECT_TRUE(WaitClients("127.0.0.4", 0));
    dropper = {};

    // A feature's kept object goes before the sessions it follows, and its lease with it.
    struct Rack {
        Rack(ConsoleCore& owner, bool& seen)
            : core(owner),
              sawSessions(seen),
              lease(owner.Frames().Open("127.0.0.2", DeviceMode::Application, Health())) {}
        ~Rack() { sawSessions = core.Frames().Count() == 2; }
        ConsoleCore& core;
        bool& sawSessions;
        FrameSessions::Lease lease;
    };
    bool sawSessions = false;
    Rack& rack = core_->Keep<Rack>(*core_, sawSessions);
    EXPECT_EQ(&core_->Keep<Rack>(*core_, sawSessions), &rack);
    EXPECT_EQ(core_->Find<Rack>(), &rack);
    FrameSessions::Lease late = core_->Frames().Open("127.0.0.3", DeviceMode::Application, Health());
    ASSERT_TRUE(test::WaitUntil([&] { return late.Get().Connection().connected; }));
    core_.reset();
    EXPECT_TRUE(sawSessions);
    late.Reset();  // its sessions are gone: nothing to release
    EXPECT_TRUE(WaitClients("127.0.0.3", 0));
}

}  // namespace
}  // namespace velmar
