#include "features/routing/core/RoutingHistory.h"

#include <gtest/gtest.h>

#include <memory>

namespace velmar {
namespace {

class History : public ::testing::Test {
  protected:
    void Route(std::int32_t output, std::int32_t input) {
        live[static_cast<std::size_t>(output - 1)] = input;
    }
    void Apply(const std::vector<Crosspoint>& sent) {
        for (const Crosspoint& c : sent)
            Route(c.output, c.input);
    }
    // What this console sends: recorded first, then taken by the frame.
    void Send(const std::vector<Crosspoint>& sent) {
        history.Record(sent, live, 1536);
        Apply(sent);
    }

    CrosspointTable live{};
    RoutingHistory history;
};

TEST_F(History, UndoRestoresRedoReappliesAndNoOpsAreNotSteps) {
    Route(612, 513);
    Send({{612, 517}, {613, 518}});
    Send({{612, 517}});  // already so: nothing to take back
    RoutingHistory::Step undo = history.Undo(live, 1536);
    EXPECT_EQ(undo.refusal, "");
    EXPECT_EQ(undo.send, (std::vector<Crosspoint>{{613, 0}, {612, 513}}));
    EXPECT_EQ(undo.description, "Undo 2 crosspoints: MADI 20, 21");
    Apply(undo.send);
    EXPECT_FALSE(history.CanUndo());
    RoutingHistory::Step redo = history.Redo(live, 1536);
    EXPECT_EQ(redo.send, (std::vector<Crosspoint>{{612, 517}, {613, 518}}));
    Apply(redo.send);
    EXPECT_TRUE(history.CanUndo());
    EXPECT_FALSE(history.CanRedo());
}

TEST_F(History, RefusedWhenTheFrameChangedTheOutputSince) {
    Send({{612, 517}});
    Route(612, 520);  // someone else, meanwhile
    const RoutingHistory::Step undo = history.Undo(live, 1536);
    EXPECT_TRUE(undo.send.empty());
    EXPECT_EQ(
        undo.refusal,
        "Not undone: MADI 20 is fed from AES 08 now, not AES 05; its routing changed on the frame since.");
    EXPECT_TRUE(history.CanUndo()) << "a refused step stays";
    EXPECT_EQ(history.Redo(live, 1536).refusal, "Nothing to redo.");

    Route(612, 517);
    Send({{700, 1}});
    history.Clear();
    EXPECT_FALSE(history.CanUndo());
}

}  // namespace
}  // namespace velmar
