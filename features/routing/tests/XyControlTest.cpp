#include <QLineEdit>

#include "features/routing/core/RoutingUnit.h"
#include "features/routing/tests/RoutingFixture.h"
#include "features/routing/view/XyControlWindow.h"

namespace velmar {
namespace {

using namespace std::chrono_literals;

class XyControl : public test::RoutingFixture {};

TEST_F(XyControl, BurstSweepsOutputsOnTheOneMillisecondTimer) {
    ConnectNewFrame();
    XyControlWindow dialog(context, nullptr);
    dialog.OutputField()->setText("4");
    dialog.InputField()->setText("0");
    prompter.answers = {false};
    dialog.Burst();
    EXPECT_FALSE(session.Feature<RoutingUnit>().Stepping()) << "No starts nothing";

    prompter.answers = {true};
    dialog.Burst();
    EXPECT_EQ(prompter.asked.back(), "X-Y crosspoint control: ARE YOU SURE");
    dialog.ConnectCrosspoint();  // refused while the stepper runs
    timers.Advance(10ms);
    EXPECT_EQ(transport.TakeSent(), (std::vector<std::string>{"&scross,1,0,0,0", "&scross,2,0,0,0",
                                                              "&scross,3,0,0,0", "&scross,4,0,0,0"}));

    dialog.InputField()->setText("9");
    dialog.OutputField()->setText("3");
    prompter.answers = {true};
    dialog.Burst();
    dialog.reject();  // closing stops the sweep
    timers.Advance(10ms);
    EXPECT_TRUE(transport.TakeSent().empty());
}

// A typo must never reach the frame: after the message nothing is sent, not even a 0 that would
// disconnect a live output or a burst that would clear a range.
TEST_F(XyControl, AfterARangeMessageNothingIsSent) {
    ConnectNewFrame();
    XyControlWindow dialog(context, nullptr);
    dialog.OutputField()->setText("2049");
    dialog.InputField()->setText("7");
    dialog.ConnectCrosspoint();
    dialog.OutputField()->setText("0");
    dialog.InterrogateOutput();
    dialog.OutputField()->setText("12");
    dialog.InputField()->setText("7x");
    dialog.ConnectCrosspoint();
    dialog.InputField()->setText("");
    prompter.answers = {true};
    dialog.Burst();
    EXPECT_EQ(prompter.shown,
              (std::vector<std::string>{"Please enter an integer between 1 and 2048.",
                                        "Please enter an integer between 1 and 2048.",
                                        "Please enter an integer.", "Please enter an integer."}));
    EXPECT_TRUE(prompter.asked.empty()) << "no question after a bad field";
    timers.Advance(10ms);
    EXPECT_TRUE(transport.TakeSent().empty());
    EXPECT_FALSE(session.Feature<RoutingUnit>().Stepping());
}

TEST_F(XyControl, TheReplyDisplayFollowsAnswersAndRefusals) {
    ConnectNewFrame();
    XyControlWindow dialog(context, nullptr);

    dialog.OutputField()->setText("12");
    dialog.InterrogateOutput();
    EXPECT_EQ(transport.TakeSent(), (std::vector<std::string>{"?gcross,12"}));
    Reply(":gcross,0,12,530");
    EXPECT_EQ(dialog.ResponseOutputField()->text(), "12");
    EXPECT_EQ(dialog.ResponseInputField()->text(), "530");

    dialog.InputField()->setText("99");
    dialog.ConnectCrosspoint();
    Reply(":scross,-1,12,0,0,0");
    EXPECT_EQ(dialog.ResponseInputField()->text(), "530") << "the frame kept what it had";
    Reply("%gcross,12,7");  // someone else's change is not an answer to this window
    EXPECT_EQ(dialog.ResponseInputField()->text(), "530");
}

}  // namespace
}  // namespace velmar
