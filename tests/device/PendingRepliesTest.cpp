#include <gtest/gtest.h>

#include <memory>

#include "device/RequestOutcomes.h"
#include "features/identity/core/IdentityUnit.h"
#include "features/routing/core/RoutingUnit.h"
#include "tests/device/SessionFixture.h"

namespace velmar::test {
namespace {

using namespace std::chrono_literals;

// The outcomes on the link's hook: requests from the catalogue, replies as lines from the frame.
class PendingRepliesTest : public SessionFixture {
  protected:
    void SetUp() override {
        ConnectAs(DeviceMode::Application, ModelClass::Full);
        pending = std::make_unique<RequestBatch>(session.Outcomes());  // not the start sequence
    }

    std::unique_ptr<RequestBatch> pending;
};

TEST_F(PendingRepliesTest, RepliesWithOtherKeysOrOtherWordsAnswerNothing) {
    RequestWriter& requests = session.Requests();
    requests.Send(CommandCode::lcross, {{14, 1}, {18, 3}});
    requests.Send(CommandCode::lcross, {{14, 129}, {18, 3}});
    session.Feature<IdentityUnit>().PsuStatus(2);
    for (int output = 1; output <= 40; ++output)
        Reply(":gcross,0," + std::to_string(output) + ",7");
    Reply(":lcross,0,1025,3,4,5,6");  // a run nobody asked for
    Reply(":gpsustatus,0,1,1");       // the other supply
    Reply("%lcross,0,1,1,9");         // a notification is no answer
    EXPECT_EQ(pending->WaitingText(10), "lcross 1..3, lcross 129..131, gpsustatus 2");

    Reply(":lcross,0,129,3,7,8,9");
    Reply(":gpsustatus,0,2,1");
    EXPECT_EQ(pending->WaitingText(2), "lcross 1..3");
    Reply(":lcross,0,1,3,5,6,7");
    EXPECT_TRUE(pending->Settled());
    EXPECT_TRUE(pending->AllAnswered());
}

TEST_F(PendingRepliesTest, RefusedRepliesCompareOnlyWhatTheyCarry) {
    RequestWriter& requests = session.Requests();
    session.Feature<RoutingUnit>().Crosspoint(5);
    session.Feature<RoutingUnit>().Crosspoint(6);
    requests.Send(CommandCode::gcrtxflow, {{14, 1}});
    requests.Send(CommandCode::gcrtxflow, {{14, 2}});
    // gcross keeps its channel before the "|": a refusal for 6 answers 6, not the older 5.
    Reply(":gcross,-1,6");
    EXPECT_EQ(pending->Waiting(CommandCode::gcross, {5}), 1u);
    EXPECT_EQ(pending->Waiting(CommandCode::gcross, {6}), 0u);
    // A status-0 gcrtxflow reply carries its flow and answers that one...
    Reply(":gcrtxflow,0,2,1,'tx',3");
    EXPECT_EQ(pending->Waiting(CommandCode::gcrtxflow, {1}), 1u);
    // ...a refused one carries nothing and answers the oldest.
    requests.Send(CommandCode::gcrtxflow, {{14, 3}});
    Reply(":gcrtxflow,-3");
    EXPECT_EQ(pending->WaitingText(10), "gcross 5, gcrtxflow 3");
    const auto& sent = pending->Requests();
    ASSERT_EQ(sent.size(), 5u);
    EXPECT_EQ(sent[1]->outcome, Outcome::Refused);
    EXPECT_EQ(sent[1]->status, -1);
    EXPECT_EQ(DescribeOutcome(*sent[2]), "the frame refused gcrtxflow 1 (status -3)");
    EXPECT_EQ(sent[3]->outcome, Outcome::Answered);
    // A line that could not be read answers nothing.
    Reply(":gcross,0,5,123456");
    EXPECT_EQ(pending->Waiting(CommandCode::gcross, {5}), 1u);
}

TEST_F(PendingRepliesTest, DuplicatesNeedOneAnswerEachAndKeepAlivesCount) {
    session.Feature<RoutingUnit>().SetCrosspoint(9, 10);
    session.Feature<RoutingUnit>().SetCrosspoint(9, 10);
    session.Link().SendKeepAlive();
    Reply(":scross,0,9,10,0,0");
    Reply(":scross,0,9,11,0,0");  // another source: not what was asked
    EXPECT_EQ(pending->Waiting(CommandCode::scross, {9, 10}), 1u);
    EXPECT_EQ(pending->Waiting(CommandCode::aliverequest), 1u);
    Reply(":aliverequest,0");
    EXPECT_FALSE(pending->AllReplied());
    Reply(":scross,0,9,10,0,0");
    EXPECT_TRUE(pending->AllAnswered());
    EXPECT_TRUE(pending->AllReplied());
}

TEST_F(PendingRepliesTest, EachRequestResolvesOnceByTimeoutOrLostLink) {
    RequestOutcomes& outcomes = session.Outcomes();
    session.Disconnect();
    outcomes.SetTimeout(3s);
    ConnectAs(DeviceMode::Application, ModelClass::Full);
    pending = std::make_unique<RequestBatch>(outcomes);
    session.Feature<RoutingUnit>().Crosspoint(5);
    const RequestHandle first = outcomes.LastSent();
    std::vector<Outcome> heard;
    outcomes.WhenResolved(first, [&](const RequestRecord& r) { heard.push_back(r.outcome); });
    timers.Advance(4500ms);
    Reply(":gsyncstat,0,0");  // the frame is there, it just does not answer this one
    session.Feature<RoutingUnit>().Crosspoint(6);
    const RequestHandle second = outcomes.LastSent();
    timers.Advance(1500ms);
    EXPECT_EQ(first->outcome, Outcome::Unanswered);
    EXPECT_EQ(second->outcome, Outcome::Waiting) << "every request gets the whole timeout";
    Reply(":gcross,0,5,7");  // too late: it stays unanswered, and is heard of once
    EXPECT_EQ(first->outcome, Outcome::Unanswered);
    EXPECT_EQ(heard, std::vector<Outcome>{Outcome::Unanswered});

    session.Feature<RoutingUnit>().Crosspoint(7);
    session.Disconnect();
    EXPECT_EQ(second->outcome, Outcome::LinkLost);
    EXPECT_EQ(pending->Count(Outcome::Waiting), 0u);
    outcomes.WhenResolved(second, [&](const RequestRecord& r) { heard.push_back(r.outcome); });
    EXPECT_EQ(heard.back(), Outcome::LinkLost) << "a late listener hears the outcome at once";

    // A command that stops waiting gives up on its own requests, and only on those.
    ConnectAs(DeviceMode::Application, ModelClass::Full);
    session.Feature<RoutingUnit>().Crosspoint(8);
    const RequestHandle other = outcomes.LastSent();
    RequestBatch mine(outcomes);
    session.Feature<RoutingUnit>().Crosspoint(9);
    mine.Close();
    session.Feature<RoutingUnit>().Crosspoint(10);
    ASSERT_EQ(mine.Requests().size(), 1u);
    mine.GiveUp();
    EXPECT_EQ(mine.Requests()[0]->outcome, Outcome::Unanswered);
    EXPECT_EQ(other->outcome, Outcome::Waiting);
    timers.Advance(4000ms);
    Reply(":gsyncstat,0,0");  // the frame is alive
    timers.Advance(2500ms);   // at most twice the timeout
    EXPECT_EQ(other->outcome, Outcome::Unanswered) << "the timeout runs again on the new link";

    RequestBatch late(outcomes);
    session.Feature<RoutingUnit>().Crosspoint(11);
    session.Feature<RoutingUnit>().Crosspoint(12);
    Reply(":gcross,0,12,1");
    EXPECT_FALSE(late.AllReplied());
    late.GiveUp();
    EXPECT_FALSE(late.AllReplied()) << "an unanswered request is no reply, also when all after it have one";
}

TEST_F(PendingRepliesTest, AHeldRequestKeepsItsOutcomeWhileHundredsMoreComeAndGo) {
    session.Feature<RoutingUnit>().Crosspoint(5);
    const RequestHandle held = session.Outcomes().LastSent();
    Reply(":gcross,0,5,7");
    pending.reset();  // only `held` keeps its request now
    for (int round = 0; round < 3; ++round) {
        RequestBatch batch(session.Outcomes());
        for (int output = 1; output <= 100; ++output)
            session.Feature<RoutingUnit>().Crosspoint(output);
        for (int output = 100; output >= 1; --output)
            Reply(":gcross," + std::to_string(output % 7 == 0 ? -1 : 0) + "," + std::to_string(output) +
                  ",3");
        EXPECT_TRUE(batch.AllReplied());
        EXPECT_EQ(batch.Count(Outcome::Refused), 14u);
        EXPECT_EQ(DescribeOutcome(*batch.Requests()[6]), "the frame refused gcross 7 (status -1)");
    }
    EXPECT_EQ(DescribeOutcome(*held), "gcross 5 answered");
}

}  // namespace
}  // namespace velmar::test
