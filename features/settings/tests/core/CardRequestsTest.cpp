#include <gtest/gtest.h>

#include <vector>

#include "device/FieldBindings.h"
#include "device/RequestWriter.h"
#include "features/settings/core/CardRequests.h"
#include "features/settings/core/CardRows.h"
#include "features/settings/tests/core/CardTestSupport.h"

namespace velmar {
namespace {

using C = CommandCode;
using Requests = std::vector<CardRequest>;
using test::Card;
using test::FitCard;

class CardRequestsTest : public ::testing::Test {
  protected:
    CardRequestsTest() {
        FitCard(old, 1, CardType::Sdi, "K5A021-01");
        FitCard(old, 2, CardType::Ad, "K5A013-02");
        FitCard(old, 3, CardType::Da, "K5A023-01");
        FitCard(old, 4, CardType::Aes, "K5A024-01");
        FitCard(old, 5, CardType::MadiHotlink, "K5A025-01");
        Card(old, 2).mode = 1;
        Card(old, 5).mode = 1;
        edited = old;
    }

    void Set(std::int32_t slot, std::string_view name, std::string_view text) {
        const CardType kind = Card(edited, slot).kind;
        const std::optional<CardRow> row = FindCardRow(kind, name);
        ASSERT_TRUE(row) << name;
        ASSERT_TRUE(StoreRowText(*row, text, Card(edited, slot))) << name << "=" << text;
    }

    ConfigBlock old;
    ConfigBlock edited;
};

TEST_F(CardRequestsTest, ChangedFieldsAreSentInSlotOrderThenInTheCardsOwnOrder) {
    Set(4, "6:Rx SRC", "enable");
    Set(2, "3:Phase", "invert");
    Set(2, "1:State", "mute");
    Set(1, "2:Tx embedder mode group 3", "pass");
    Set(1, "1:Tx sample rate", "32 kHz");
    const CardApplyPlan plan = PlanCardRequests(old, edited);
    EXPECT_TRUE(plan.changed);
    EXPECT_EQ(plan.requests, (Requests{{C::stxsrcrate, 1, 1, 0},
                                       {C::sembmode, 1, 2, 3},
                                       {C::sadmute, 2, 1, 0},
                                       {C::sadphase, 2, 3, 0},
                                       {C::saesrxsrcena, 4, 6, 0}}));
    EXPECT_EQ(PlanCardRequests(old, old).requests, Requests{});
    EXPECT_FALSE(PlanCardRequests(old, old).changed);
}

TEST_F(CardRequestsTest, ADsdFilterChangeOnAnyChannelIsSentAsTheCardsOneSetting) {
    Set(3, "5:DSD filter", "enable");
    const CardApplyPlan plan = PlanCardRequests(old, edited);
    ASSERT_EQ(plan.requests, (Requests{{C::sdadsdfilter, 3, 0, 0}}));
    EXPECT_TRUE(plan.changed);

    DeviceState frame;
    frame.config = edited;
    CommandMessage request;
    ASSERT_TRUE(FillCardSetRequest(frame.config, C::sdadsdfilter, 3, 0, 0, request));
    EXPECT_EQ(request.Int(22), 1) << "the edited value goes out, not channel 1's old one";
}

TEST_F(CardRequestsTest, HotlinkOnAMadiCardSendsTheModeAndBothHotlinkModes) {
    Set(5, "both:Interface type", "hotlink");
    EXPECT_EQ(PlanCardRequests(old, edited).requests,
              (Requests{{C::scifmode, 5, 0, 0}, {C::schlinkinmode, 5, 0, 0}, {C::schlinkoutmode, 5, 0, 0}}));

    edited = old;
    Set(5, "1:Output channel count", "64 ch");
    Set(5, "2:Input mode / sample rate", "as internal");
    EXPECT_EQ(PlanCardRequests(old, edited).requests,
              (Requests{{C::scmadioutmode, 5, 1, 0}, {C::scmadiinmode, 5, 2, 0}}));

    // With redundancy the second port follows the first: nothing is sent for it.
    Set(5, "both:SFP redundancy", "enable");
    Set(5, "both:Redundancy mode", "sfp 2 active");
    EXPECT_EQ(PlanCardRequests(old, edited).requests,
              (Requests{{C::scifred, 5, 0, 0}, {C::scmadioutmode, 5, 1, 0}}));

    // Back from Hotlink to MADI: every MADI setting of both ports goes out again.
    old = edited;
    Card(old, 5).mode = 2;
    Card(old, 5).madi.redundancyEnable = 0;
    Card(edited, 5).madi.redundancyEnable = 0;
    const Requests toMadi = PlanCardRequests(old, edited).requests;
    ASSERT_EQ(toMadi.size(), 7u);
    EXPECT_EQ(toMadi.front(), (CardRequest{C::scifmode, 5, 0, 0}));
    EXPECT_EQ(toMadi.back(), (CardRequest{C::scmadidsdmode, 5, 2, 0}));
}

struct SentWords final : RequestSink {
    void SendRequest(CommandMessage& request) override {
        words.push_back(static_cast<CommandCode>(request.code));
    }
    std::vector<CommandCode> words;
};

TEST_F(CardRequestsTest, ACardThatIsGoneOrUnknownGetsNothingAndALevelOnlyChangeCountsWithoutARequest) {
    Set(2, "1:State", "mute");
    Set(3, "1:State", "mute");
    Set(4, "1:Rx SRC", "enable");
    // While the editor was open, slot 2 emptied and slot 3 now holds a card of another kind.
    DeviceState frame;
    frame.config = old;
    frame.config.hwConf[9].boardType = 0;
    Card(frame.config, 2).kind = CardType::None;
    frame.config.hwConf[10].boardCode.Assign("K5A024-01");
    Card(frame.config, 3).kind = CardType::Aes;
    SentWords sent;
    RequestWriter writer(sent, frame);
    const CardApplyOutcome outcome = ApplyCardSettings(old, edited, frame.config, writer);
    EXPECT_EQ(sent.words, std::vector<CommandCode>{C::saesrxsrcena}) << "only the card still there as edited";
    EXPECT_EQ(outcome.cards, std::vector<std::int32_t>{4});
    EXPECT_EQ(frame.config.cards[1].ad[0].mute, 0);
    EXPECT_EQ(frame.config.cards[2].kind, CardType::Aes);
    EXPECT_EQ(frame.config.cards[3].aesRxSrcEnable[0], 0) << "the frame's answer brings the new value";
    EXPECT_EQ(PlanCardRequests(frame.config, edited).requests, (Requests{{C::saesrxsrcena, 4, 1, 0}}))
        << "against the frame as it is now, nothing for the gone cards";
    CardApplyPlan plan;

    // A board the page does not know is never written to, whatever its record holds.
    ConfigBlock unknown = old;
    unknown.hwConf[8].boardCode.Assign("K5A099-01");
    Card(unknown, 1).kind = CardType::None;
    ConfigBlock unknownEdited = unknown;
    Card(unknownEdited, 1).sdi[0].embEnable = 1;
    EXPECT_EQ(PlanCardRequests(unknown, unknownEdited).requests, Requests{});

    edited = old;
    Card(edited, 3).da[2].outLevel = {true, 6, 0};
    plan = PlanCardRequests(old, edited);
    EXPECT_EQ(plan.requests, Requests{}) << "levels are never sent";
    EXPECT_TRUE(plan.changed);
}

}  // namespace
}  // namespace velmar
