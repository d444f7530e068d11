#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/CliRun.h"
#include "tests/support/LineClient.h"
#include "tests/support/SimProcess.h"

namespace velmar {
namespace {

// velmar-cli cards and card against the default rack: K5A "Studio A" has SDI, AD, DA, AES,
// MADI and AD cards in slots 1 to 6.
class CardCommandsTest : public ::testing::Test {
  protected:
    CardCommandsTest() { sim.ExportPorts(); }

    using Outcome = test::CliOutcome;
    static Outcome Cli(const std::vector<std::string>& args) { return test::RunCli(args); }

    // The value of one row as a fresh connection reads it, from the JSON listing.
    std::string ReadBack(int slot, const std::string& name) {
        const Outcome cards = Cli({"cards", "--json", "127.0.0.2"});
        EXPECT_EQ(cards.code, kExitOk) << cards.err;
        const std::string slotKey = "{\"slot\":" + std::to_string(slot) + ",";
        const std::size_t slotAt = cards.out.find(slotKey);
        const std::size_t rowAt = cards.out.find("\"name\":\"" + name + "\"", slotAt);
        if (slotAt == std::string::npos || rowAt == std::string::npos)
            return "(no row)";
        const std::size_t valueAt = cards.out.find("\"value\":\"", rowAt) + 9;
        return cards.out.substr(valueAt, cards.out.find('"', valueAt) - valueAt);
    }

    test::SimProcess sim;
};

TEST_F(CardCommandsTest, OneParameterOfEveryCardKindRoundTripsThroughTheFrame) {
    struct Change {
        int slot;
        std::vector<std::string> assignments;
        std::string row;
        std::string value;
    };
    const std::vector<Change> changes{
        {1, {"2:Tx embedder mode group 3=insert async"}, "2:Tx embedder mode group 3", "insert async"},
        {2, {"3:phantom power=on"}, "3:Phantom power", "on"},
        {3, {"5:DSD filter=enable"}, "1:DSD filter", "enable"},
        {4, {"6:Rx SRC=enable"}, "6:Rx SRC", "enable"},
        {5,
         {"both:Interface type=hotlink", "1:Output mode / frame rate=external"},
         "1:Output mode / frame rate",
         "external"},
    };
    // Another console on the same frame hears every change.
    test::LineClient other("127.0.0.2", sim.GetPorts().tcp);
    ASSERT_TRUE(other.Connected());
    for (const Change& change : changes) {
        std::vector<std::string> args{"card", "127.0.0.2", std::to_string(change.slot)};
        args.insert(args.end(), change.assignments.begin(), change.assignments.end());
        const Outcome outcome = Cli(args);
        ASSERT_EQ(outcome.code, kExitOk) << change.row << ": " << outcome.err;
        EXPECT_NE(outcome.out.find(change.row), std::string::npos) << "the card is printed as read back";
    }
    for (const std::string notification : {"%gembmode,1,2,3,3", "%gadphanpow,2,3,1", "%gdadsdfilter,3,1",
                                           "%gaesrxsrcena,4,6,1", "%gcifmode,5,2", "%gchlinkoutmode,5,1"}) {
        EXPECT_TRUE(other.LineStartingWith(notification)) << notification;
    }
    for (const Change& change : changes)
        EXPECT_EQ(ReadBack(change.slot, change.row), change.value) << change.row;
    EXPECT_EQ(ReadBack(3, "8:DSD filter"), "enable") << "the DA card's one filter, on every channel";
    EXPECT_EQ(ReadBack(5, "both:Interface type"), "hotlink");
    EXPECT_EQ(ReadBack(6, "3:Phantom power"), "off") << "the other AD card is untouched";
}

TEST_F(CardCommandsTest, WhatTheCardCannotTakeIsRefusedAndNothingIsSent) {
    Outcome bad = Cli({"card", "127.0.0.2", "2", "1:State=mute", "3:Phantom power=maybe"});
    EXPECT_EQ(bad.code, kExitUsage);
    EXPECT_NE(bad.err.find("allowed: off, on"), std::string::npos) << bad.err;
    EXPECT_EQ(ReadBack(2, "1:State"), "unmute") << "no part of a refused command is sent";

    bad = Cli({"card", "127.0.0.2", "2", "9:State=mute"});
    EXPECT_EQ(bad.code, kExitUsage);
    EXPECT_NE(bad.err.find("no parameter '9:State'"), std::string::npos) << bad.err;
    bad = Cli({"card", "127.0.0.2", "2", "1:\x1b]0;owned\x07=1"});
    EXPECT_EQ(bad.code, kExitUsage);
    EXPECT_NE(bad.err.find("no parameter '1:\\x1b]0;owned\\x07'"), std::string::npos)
        << "what the operator typed is echoed terminal-safe: " << bad.err;
    EXPECT_EQ(Cli({"card", "127.0.0.2", "2", "1:Mic clipping level=0.00"}).code, kExitUsage);
    EXPECT_EQ(Cli({"card", "127.0.0.2", "5", "2:Output channel count=64 ch", "both:SFP redundancy=enable",
                   "2:Output DSD mode=native"})
                  .code,
              kExitUsage)
        << "with redundancy the second port is the first one's";
    const Outcome empty = Cli({"card", "127.0.0.2", "7", "1:State=mute"});
    EXPECT_EQ(empty.code, kExitFailure);
    EXPECT_NE(empty.err.find("slot 7 is empty"), std::string::npos);
    EXPECT_EQ(Cli({"card", "127.0.0.3", "1", "1:State=mute"}).code, kExitFailure) << "LW16: no card slots";

    const Outcome dry = Cli({"card", "--dry-run", "127.0.0.2", "2", "3:Phantom power=on", "1:State=mute"});
    ASSERT_EQ(dry.code, kExitOk) << dry.err;
    EXPECT_EQ(dry.out, "&sadmute,2,1,1\n&sadphanpow,2,3,1\n");
    EXPECT_EQ(ReadBack(2, "3:Phantom power"), "off");

    // A frame that refuses the word: the command fails, and the card shows what the frame holds.
    ASSERT_EQ(sim.Do("fault 127.0.0.2 status sadmute -1").substr(0, 2), "ok");
    const Outcome refused = Cli({"card", "127.0.0.2", "2", "1:State=mute"});
    EXPECT_EQ(refused.code, kExitFailure);
    EXPECT_NE(refused.err.find("refused sadmute"), std::string::npos) << refused.err;
    EXPECT_NE(refused.out.find("1:State                           unmute"), std::string::npos) << refused.out;

    // A frame that goes quiet: what was sent is not shown as if the card had been read back.
    ASSERT_EQ(sim.Do("fault 127.0.0.2 mute sadphanpow 0").substr(0, 2), "ok");
    const Outcome silent = Cli({"card", "127.0.0.2", "--timeout", "300", "2", "3:Phantom power=on"});
    EXPECT_EQ(silent.code, kExitNotResponding);
    EXPECT_EQ(silent.out, "");
    EXPECT_NE(silent.err.find("no answer to sadphanpow 2 3"), std::string::npos) << silent.err;
    EXPECT_NE(silent.err.find("slot 2 was not read back"), std::string::npos) << silent.err;
}

}  // namespace
}  // namespace velmar
