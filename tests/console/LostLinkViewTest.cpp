#include <QDateTime>
#include <QPushButton>
#include <QTreeView>

#include "console/DeviceStatusGroup.h"
#include "console/LinkLostBanner.h"
#include "features/routing/tests/RoutingFixture.h"
#include "features/routing/view/RoutingArea.h"
#include "features/routing/view/RoutingGrid.h"
#include "tests/console/ConsoleTestSupport.h"

namespace velmar {
namespace {

// The main window's parts on a session on fakes: the clock is the test's.
class LostLinkView : public test::RoutingFixture {
  protected:
    LostLinkView()
        : app((test::EnsureApplication(), 0)), banner(session), status(session), area(context, nullptr) {}

    std::vector<std::string> ListTexts() { return test::ListTexts(area); }
    QString Rate() const { return status.FieldWidget(DeviceStatusGroup::Rate).text(); }

    int app;
    LinkLostBanner banner;
    DeviceStatusGroup status;
    RoutingArea area;
};

TEST_F(LostLinkView, ALostLinkKeepsTheLastKnownStateGreyedUnderABannerUntilTheFrameIsBack) {
    timers.Advance(std::chrono::minutes(90));
    ConnectNewFrame();
    Reply(":gdevid,0,7,'Studio A'");
    Reply(":gactrate,0,2");
    Reply("%gcross,5,7");
    ASSERT_EQ(Rate(), "48 kHz");
    EXPECT_TRUE(banner.isHidden());

    const auto lostAt = timers.WallTime();
    transport.PeerCloses();
    ASSERT_FALSE(session.Connection().connected);

    EXPECT_FALSE(banner.isHidden());
    const QDateTime since = QDateTime::fromMSecsSinceEpoch(
        std::chrono::duration_cast<std::chrono::milliseconds>(lostAt.time_since_epoch()).count());
    EXPECT_TRUE(banner.text().startsWith("The link to Studio A (127.0.0.2) was lost at " +
                                         since.toString("HH:mm:ss") + " ("))
        << banner.text().toStdString();
    EXPECT_TRUE(banner.text().contains("the frame closed the connection"));
    EXPECT_EQ(session.Title(), " Velmar   ( Link lost - Studio A )");

    // The last values stay, and nothing offers to change them.
    EXPECT_EQ(Rate(), "48 kHz");
    EXPECT_FALSE(status.FieldWidget(DeviceStatusGroup::Rate).isEnabled());
    EXPECT_EQ(ListTexts(), std::vector<std::string>{"CARD1 07 -> CARD1 05"});
    EXPECT_FALSE(area.Status().View()->isEnabled());
    EXPECT_FALSE(area.Grid().isEnabled());
    EXPECT_FALSE(area.Control().ConnectButton()->isEnabled());
    EXPECT_FALSE(area.Status().SaveButton()->isEnabled());
    EXPECT_GT(area.Grid().Grid().Axis().Lines().size(), 0u) << "the grid keeps its channels";
    transport.TakeSent();
    area.Grid().Grid().SetCursor(5, 9);
    area.Grid().Grid().RouteAtCursor();
    EXPECT_TRUE(transport.TakeSent().empty());

    // Back: the banner goes, editing returns, and the frame is read afresh.
    session.Reconnect();
    transport.FinishConnect(0);
    ASSERT_TRUE(session.Connection().connected);
    EXPECT_TRUE(banner.isHidden());
    EXPECT_TRUE(area.Control().ConnectButton()->isEnabled());
    EXPECT_TRUE(area.Status().View()->isEnabled());
    EXPECT_EQ(Rate(), "");
    EXPECT_TRUE(ListTexts().empty());

    // Closing a link on purpose leaves nothing behind.
    Reply(":gactrate,0,2");
    Reply("%gcross,5,7");
    session.Disconnect();
    EXPECT_TRUE(banner.isHidden());
    EXPECT_EQ(Rate(), "");
    EXPECT_TRUE(ListTexts().empty());
    EXPECT_EQ(session.Title(), " Velmar");
}

}  // namespace
}  // namespace velmar
