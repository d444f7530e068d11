#include <QLineEdit>

#include "routing/XyControlWindow.h"
#include "tests/routing/RoutingFixture.h"

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
    EXPECT_FALSE(session.Connection().stepper.active) << "No starts nothing";

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

TEST_F(XyControl, RangeMessagesAndTheReplyDisplay) {
    ConnectNewFrame();
    XyControlWindow dialog(context, nullptr);
    dialog.OutputField()->setText("2049");
    dialog.InputField()->setText("7");
    dialog.ConnectCrosspoint();
    EXPECT_EQ(prompter.shown, (std::vector<std::string>{"Please enter an integer between 1 and 2048."}));
    EXPECT_EQ(transport.TakeSent(), (std::vector<std::string>{"&scross,2049,7,0,0"})) << "goes on as read";

    dialog.OutputField()->setText("0");
    dialog.InterrogateOutput();
    EXPECT_TRUE(transport.TakeSent().empty());

    dialog.OutputField()->setText("12");
    dialog.InterrogateOutput();
    EXPECT_EQ(transport.TakeSent(), (std::vector<std::string>{"?gcross,12"}));
    Reply(":gcross,0,12,530");
    EXPECT_EQ(dialog.ResponseOutputField()->text(), "12");
    EXPECT_EQ(dialog.ResponseInputField()->text(), "530");
}

}  // namespace
}  // namespace velmar
