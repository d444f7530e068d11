#include <gtest/gtest.h>

#include "device/PendingReplies.h"
#include "tests/device/SessionFixture.h"

namespace velmar::test {
namespace {

// The matcher on the link's hook: requests from the catalogue, replies as lines from the frame.
class PendingRepliesTest : public SessionFixture {
  protected:
    PendingRepliesTest() { session.Link().SetObserver(&pending); }
    ~PendingRepliesTest() override { session.Link().SetObserver(nullptr); }

    void SetUp() override {
        ConnectAs(DeviceMode::Application, ModelClass::Full);
        pending = PendingReplies();  // forget the start sequence
    }

    PendingReplies pending;
};

TEST_F(PendingRepliesTest, RepliesWithOtherKeysOrOtherWordsAnswerNothing) {
    RequestWriter& requests = session.Requests();
    requests.Send(CommandCode::lcross, {{14, 1}, {18, 3}});
    requests.Send(CommandCode::lcross, {{14, 129}, {18, 3}});
    session.Identity().PsuStatus(2);
    for (int output = 1; output <= 40; ++output)
        Reply(":gcross,0," + std::to_string(output) + ",7");
    Reply(":lcross,0,1025,3,4,5,6");  // a run nobody asked for
    Reply(":gpsustatus,0,1,1");       // the other supply
    Reply("%lcross,0,1,1,9");         // a notification is no answer
    EXPECT_EQ(pending.UnansweredText(10), "lcross 1..3, lcross 129..131, gpsustatus 2");

    Reply(":lcross,0,129,3,7,8,9");
    Reply(":gpsustatus,0,2,1");
    EXPECT_EQ(pending.UnansweredText(10), "lcross 1..3");
    Reply(":lcross,0,1,3,5,6,7");
    EXPECT_TRUE(pending.Empty());
    EXPECT_TRUE(pending.Refused().empty());
}

TEST_F(PendingRepliesTest, RefusedRepliesCompareOnlyWhatTheyCarry) {
    RequestWriter& requests = session.Requests();
    session.Routing().Crosspoint(5);
    session.Routing().Crosspoint(6);
    requests.Send(CommandCode::gcrtxflow, {{14, 1}});
    requests.Send(CommandCode::gcrtxflow, {{14, 2}});
    // gcross keeps its channel before the "|": a refusal for 6 answers 6, not the older 5.
    Reply(":gcross,-1,6");
    EXPECT_EQ(pending.Waiting(CommandCode::gcross, {5}), 1u);
    EXPECT_EQ(pending.Waiting(CommandCode::gcross, {6}), 0u);
    // A status-0 gcrtxflow reply carries its flow and answers that one...
    Reply(":gcrtxflow,0,2,1,'tx',3");
    EXPECT_EQ(pending.Waiting(CommandCode::gcrtxflow, {1}), 1u);
    // ...a refused one carries nothing and answers the oldest.
    requests.Send(CommandCode::gcrtxflow, {{14, 3}});
    Reply(":gcrtxflow,-3");
    EXPECT_EQ(pending.UnansweredText(10), "gcross 5, gcrtxflow 3");
    ASSERT_EQ(pending.Refused().size(), 2u);
    EXPECT_TRUE(pending.Refused()[0].request.Is(CommandCode::gcross, {6}));
    EXPECT_EQ(pending.Refused()[0].status, -1);
    EXPECT_TRUE(pending.Refused()[1].request.Is(CommandCode::gcrtxflow, {1}));
    EXPECT_EQ(pending.Refused()[1].status, -3);
    // A line that could not be read answers nothing.
    Reply(":gcross,0,5,123456");
    EXPECT_EQ(pending.Waiting(CommandCode::gcross, {5}), 1u);
}

TEST_F(PendingRepliesTest, DuplicatesNeedOneAnswerEachAndKeepAlivesCount) {
    session.Routing().SetCrosspoint(9, 10);
    session.Routing().SetCrosspoint(9, 10);
    session.Link().SendKeepAlive();
    Reply(":scross,0,9,10,0,0");
    Reply(":scross,0,9,11,0,0");  // another source: not what was asked
    EXPECT_EQ(pending.Waiting(CommandCode::scross, {9, 10}), 1u);
    EXPECT_EQ(pending.Waiting(CommandCode::aliverequest), 1u);
    Reply(":aliverequest,0");
    Reply(":scross,0,9,10,0,0");
    EXPECT_TRUE(pending.Empty());
}

}  // namespace
}  // namespace velmar::test
