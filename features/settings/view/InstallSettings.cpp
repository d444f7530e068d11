#include "features/settings/view/InstallSettings.h"

#include <chrono>
#include <memory>

#include <QTimer>

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

// The restart a new network address needs, once the apply's requests are all settled.
void OfferRestart(Session& session, Prompter& prompter, const ActionSummary& summary) {
    if (!summary.allAnswered) {
        prompter.Warning(summary.text + " The new network settings may not be in place: no restart offered.",
                         "Device settings");
        return;
    }
    if (prompter.Question(AboutFrame("Restart device", session.Connection()))) {
        ActionOutcomes(session.Outcomes(), session.Events(), session.Connection()).Track("Restart", [&] {
            session.Feature<FirmwareUnit>().Restart();
        });
    }
}

// Sends what the operator changed, then reads the frame back (the matrix's type selectors follow
// the new modes). A new network address needs a restart, offered only once the frame has
// answered every request of the apply: a refused or unanswered address is no reason to restart.
void ApplyEdits(Session& session, Prompter& prompter, ActionOutcomes& tracker, const SettingsDialog& editor,
                QObject& window) {
    if (!session.IsReady()) {
        prompter.Warning("The frame is not ready; the settings were not sent.", "Device settings");
        return;
    }
    // The event log tells what became of the set requests: each refused or unanswered one named.
    ApplyOutcome outcome;
    const auto offerRestart = std::make_shared<bool>(false);
    tracker.Track(
        "Device settings",
        [&] {
            outcome =
                ApplySettings(editor.Opened(), editor.Edited(), session.State().config, session.Requests());
            *offerRestart = outcome.OfferRestart();
        },
        [&session, &prompter, &window, offerRestart](const ActionSummary& summary) {
            if (!*offerRestart)
                return;
            // Asked after the reply's dispatch has ended, not from inside it.
            QTimer::singleShot(0, &window,
                               [&session, &prompter, summary] { OfferRestart(session, prompter, summary); });
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
}

}  // namespace

void InstallSettings(MainWindow& window, ConsoleCore& core) {
    // Lives as long as the main window's handler, so that the restart is offered when the frame
    // answers, after the editor has closed.
    auto tracker = std::make_shared<ActionOutcomes>(core.GetSession().Outcomes(), core.GetSession().Events(),
                                                    core.GetSession().Connection());
    window.SetSettingsHandler([&window, &core, tracker] {
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
        QObject::connect(editor, &QDialog::accepted, &window, [&window, &core, editor, tracker] {
            ApplyEdits(core.GetSession(), core.GetPrompter(), *tracker, *editor, window);
        });
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
