#include "features/channeltools/view/InstallChannelTools.h"

#include <QObject>
#include <QPointer>

#include "console/ConsoleCore.h"
#include "console/MainWindow.h"
#include "device/DeviceModel.h"
#include "device/SessionEvents.h"
#include "features/channeltools/core/ChannelToolsUnit.h"
#include "features/channeltools/view/ChannelLabelsDialog.h"
#include "features/channeltools/view/GainDialog.h"
#include "features/channeltools/view/InputStatusWindow.h"
#include "features/routing/core/RoutingEvents.h"

namespace velmar {

namespace {

// Frames up to this software version have no labels.
constexpr std::int32_t kLastVersionWithoutLabels = 1040001;

// What the channel tools keep for the main window's lifetime.
class ChannelToolsKeeper final : public QObject {
  public:
    ChannelToolsKeeper(Session& session, QObject* parent) : QObject(parent), session_(session) {
        EventHub& events = session_.Events();
        subscriptions_.push_back(
            events.Subscribe<ConnectionChanged>([this](const ConnectionChanged&) { labelsRead_ = false; }));
        // The routing views name channels with their labels, so they are read with the matrix.
        subscriptions_.push_back(events.Subscribe<MatrixRead>([this](const MatrixRead&) {
            if (labelsRead_ || !session_.IsReady() ||
                MainSoftwareVersion(session_.State()) <= kLastVersionWithoutLabels)
                return;
            labelsRead_ = true;
            session_.Feature<ChannelToolsUnit>().LabelRuns();
        }));
    }

    // Made on first use and kept: it goes on following the frame while hidden.
    InputStatusWindow& InputStatus(QWidget* parent) {
        if (inputStatus_.isNull())
            inputStatus_ = new InputStatusWindow(session_, parent);
        return *inputStatus_;
    }

  private:
    Session& session_;
    QPointer<InputStatusWindow> inputStatus_;
    bool labelsRead_ = false;
    Subscriptions subscriptions_;
};

}  // namespace

void InstallChannelTools(MainWindow& window, ConsoleCore& core) {
    auto* keeper = new ChannelToolsKeeper(core.GetSession(), &window);
    window.SetMenuHandler(MenuCommand::InputStatus, [&window, keeper] {
        InputStatusWindow& status = keeper->InputStatus(&window);
        status.show();
        status.raise();
        status.activateWindow();
    });
    window.SetMenuHandler(MenuCommand::ChannelLabels, [&window, &core] {
        Session& session = core.GetSession();
        if (session.IsReady())
            ChannelLabelsDialog::RequestLabels(session);
        ChannelLabelsDialog dialog(session, core.GetPrompter(), &window);
        dialog.exec();
    });
    window.SetMenuHandler(MenuCommand::GainSettings, [&window, &core] {
        Session& session = core.GetSession();
        if (session.IsReady())
            GainDialog::RequestGains(session);
        GainDialog dialog(session, core.GetPrompter(), &window);
        dialog.exec();
    });
}

}  // namespace velmar
