#include "features/settings/view/InstallSettings.h"

#include <chrono>

#include "console/ConsoleCore.h"
#include "console/MainWindow.h"
#include "device/ActionOutcomes.h"
#include "device/DeviceModel.h"
#include "device/SessionEvents.h"
#include "features/firmware/core/FirmwareUnit.h"
#include "features/interfaces/core/InterfacesUnit.h"
#include "features/settings/core/ApplySettings.h"
#include "features/settings/view/CardConfigPage.h"
#include "features/settings/view/HwConfigView.h"
#include "features/settings/view/HwConfigWindow.h"
#include "features/settings/view/SettingsDialog.h"

namespace velmar {

namespace {

using namespace std::chrono_literals;

// Sends what the operator changed, then reads the frame back (the matrix's type selectors follow
// the new modes) and offers the restart a new network address needs.
void ApplyEdits(Session& session, Prompter& prompter, const SettingsDialog& editor) {
    if (!session.IsReady()) {
        prompter.Warning("The frame is not ready; the settings were not sent.", "Device settings");
        return;
    }
    // The event log tells what became of the set requests: each refused or unanswered one named.
    ApplyOutcome outcome;
    ActionOutcomes(session.Outcomes(), session.Events(), session.Connection()).Track("Device settings", [&] {
        outcome = ApplySettings(editor.Opened(), editor.Edited(), session.State().config, session.Requests());
    });
    for (const std::string& refused : outcome.refused)
        prompter.Warning(refused, "Device settings");
    // The frame image takes the new values from the frame's answers, as the frame holds them.
    ReadBackSettings(outcome, session.Requests());
    // A card's set replies repeat the request; its gets say what the card took.
    for (const std::int32_t card : outcome.cardsToRead)
        session.Feature<InterfacesUnit>().CardSettings(card);
    if (outcome.AnyChanged()) {
        session.PollStateIn(300ms);
        session.Events().Publish(ChannelLayoutChanged{});
    }
    if (outcome.OfferRestart() && prompter.Question(AboutFrame("Restart device", session.Connection()))) {
        ActionOutcomes(session.Outcomes(), session.Events(), session.Connection()).Track("Restart", [&] {
            session.Feature<FirmwareUnit>().Restart();
        });
    }
}

}  // namespace

void InstallSettings(MainWindow& window, ConsoleCore& core) {
    window.SetSettingsHandler([&window, &core] {
        Session& session = core.GetSession();
        if (!session.IsReady())
            return;
        const SettingsSubject subject{&session.State().config, session.Capabilities().model,
                                      IsNewFirmware(session.State())};
        auto* editor = new SettingsDialog(subject, core.GetPrompter(), core.GetFilePicker(), &window);
        const bool cardSlots = subject.model == ModelClass::Full;
        auto* cards = new CardConfigPage(cardSlots);
        cards->FollowFrame(session);
        editor->SetPage(SettingsTab::CardConfiguration, cards);
        auto* hardware = new HwConfigView;
        hardware->ShowPageRows(*subject.config, cardSlots);
        editor->SetPage(SettingsTab::HwConfiguration, hardware);
        editor->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(editor, &QDialog::accepted, &window,
                         [&core, editor] { ApplyEdits(core.GetSession(), core.GetPrompter(), *editor); });
        editor->open();
    });
    window.SetMenuHandler(MenuCommand::HwConfiguration, [&window, &core] {
        if (!window.TargetIsConnectedFrame())
            return;
        HwConfigWindow dialog(core.GetSession().State().config, &window);
        dialog.exec();
    });
}

}  // namespace velmar
