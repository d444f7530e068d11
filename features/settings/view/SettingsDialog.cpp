#include "features/settings/view/SettingsDialog.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

#include "device/ui/FilePicker.h"
#include "device/ui/Prompter.h"
#include "features/settings/core/ApplySettings.h"
#include "features/settings/core/SettingsFile.h"
#include "features/settings/view/ChoicePage.h"
#include "features/settings/view/DantePage.h"
#include "features/settings/view/IdPage.h"
#include "features/settings/view/NetworkPage.h"
#include "features/settings/view/NumberPage.h"
#include "features/settings/view/OptionalModulePage.h"
#include "features/settings/view/PhdPage.h"
#include "features/settings/view/SyncPriorityPage.h"
#include "platform/qt/FrameText.h"
#include "widgets/TitleFit.h"

namespace velmar {

namespace {

constexpr std::string_view kSettingsDialogCaption = "Device settings";

constexpr std::array<const char*, kSettingsTabCount> kTabLabels{
    " ID ",           " Network ",    " Sample rate ",     " Synchronization ", " AES ",
    " MADI ",         " PHD ",        " Dante ",           " Optional module ", " Card configuration ",
    " System delay ", " Alive time ", " HW configuration "};

}  // namespace

SettingsDialog::SettingsDialog(const SettingsSubject& subject, Prompter& prompter, FilePicker& files,
                               QWidget* parent)
    : QDialog(parent),
      prompter_(prompter),
      files_(files),
      model_(subject.model),
      newFirmware_(subject.newFirmware),
      opened_(std::make_unique<ConfigBlock>(*subject.config)),
      working_(std::make_unique<ConfigBlock>(*subject.config)),
      tabs_(new QTabWidget),
      dante_(new DantePage),
      optionalModule_(new OptionalModulePage) {
    const SettingsPresence presence = SettingsPresenceOf(*opened_);
    dante_->SetPresent(presence.dante);
    optionalModule_->SetHardware(presence.optionalModule, subject.newFirmware);
    pages_ = {new IdPage,
              new NetworkPage,
              MakeSampleRatePage(),
              new SyncPriorityPage,
              MakeAesPage(),
              MakeMadiPage(),
              new PhdPage,
              dante_,
              optionalModule_,
              new QWidget,
              new NumberPage("System delay (samples)", Setting::SystemDelay, &ConfigBlock::systemDelay),
              new NumberPage("Alive time (sec)", Setting::AliveTime, &ConfigBlock::aliveTime),
              new QWidget};
    for (std::size_t i = 0; i < pages_.size(); ++i)
        tabs_->addTab(pages_[i], kTabLabels[i]);

    auto* save = new QPushButton("Save changes");
    auto* saveFile = new QPushButton("Save to file...");
    auto* loadFile = new QPushButton("Load from file...");
    auto* cancel = new QPushButton("Cancel");
    for (QPushButton* button : {save, saveFile, loadFile})
        button->setAutoDefault(false);
    // Enter anywhere in the editor means Cancel, which asks before it discards anything.
    cancel->setDefault(true);
    connect(save, &QPushButton::clicked, this, &SettingsDialog::SaveChanges);
    connect(saveFile, &QPushButton::clicked, this, &SettingsDialog::SaveToFile);
    connect(loadFile, &QPushButton::clicked, this, &SettingsDialog::LoadFromFile);
    connect(cancel, &QPushButton::clicked, this, &SettingsDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(save);
    buttons->addWidget(saveFile);
    buttons->addWidget(loadFile);
    buttons->addStretch();
    buttons->addWidget(cancel);
    auto* column = new QVBoxLayout(this);
    column->addWidget(tabs_);
    column->addLayout(buttons);

    // Thirteen tabs do not fit one bar: the keys every tabbed editor knows step through them,
    // wherever the focus is, the buttons below the tabs included.
    const auto step = [this](int by) {
        tabs_->setCurrentIndex((tabs_->currentIndex() + by + tabs_->count()) % tabs_->count());
    };
    for (const auto& [keys, by] : {std::pair{QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
                                   std::pair{QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
                                   std::pair{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
                                   std::pair{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1},
                                   std::pair{QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1}}) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [step, by] { step(by); });
    }

    LoadPages();
    TitleFit::Install(*this);
    Retitle();
    tabs_->setCurrentIndex(0);
}

SettingsDialog::~SettingsDialog() = default;

void SettingsDialog::SetPage(SettingsTab tab, QWidget* page) {
    const int index = static_cast<int>(tab);
    const bool current = tabs_->currentIndex() == index;
    QWidget* old = pages_[static_cast<std::size_t>(index)];
    tabs_->removeTab(index);
    tabs_->insertTab(index, page, kTabLabels[static_cast<std::size_t>(index)]);
    pages_[static_cast<std::size_t>(index)] = page;
    delete old;
    if (auto* settingsPage = dynamic_cast<SettingsPage*>(page))
        settingsPage->Load(*working_);
    if (current)
        tabs_->setCurrentIndex(index);
}

QWidget* SettingsDialog::Page(SettingsTab tab) const {
    return pages_[static_cast<std::size_t>(tab)];
}

void SettingsDialog::ShowTab(SettingsTab tab) {
    tabs_->setCurrentIndex(static_cast<int>(tab));
}

void SettingsDialog::LoadPages() {
    for (QWidget* page : pages_) {
        if (auto* settingsPage = dynamic_cast<SettingsPage*>(page))
            settingsPage->Load(*working_);
    }
}

bool SettingsDialog::StorePages(ConfigBlock& config, bool say) {
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        auto* page = dynamic_cast<SettingsPage*>(pages_[i]);
        if (page == nullptr)
            continue;
        if (const auto problem = page->Store(config)) {
            if (say) {
                tabs_->setCurrentIndex(static_cast<int>(i));
                prompter_.Warning(*problem, kSettingsDialogCaption);
            }
            return false;
        }
    }
    return true;
}

void SettingsDialog::Retitle() {
    QString title = " Device settings";
    if (!working_->deviceName.Empty()) {
        title += " for <" + FrameTextToQString(working_->deviceName.View());
        title +=
            working_->lan.dhcp != 0 ? QString(">") : "> at " + FrameTextToQString(working_->lan.ip.View());
    }
    setWindowTitle(title);
}

std::string SettingsDialog::SendQuestion() const {
    const std::vector<PlannedGroup> plan = PlanSettings(*opened_, *working_, SettingsPresenceOf(*opened_));
    if (plan.empty())
        return "Save changes\n\nNothing was changed: nothing will be sent.";
    std::string text = "Save changes\n\nThese settings will be sent to the frame:";
    std::size_t total = 0;
    for (const PlannedGroup& group : plan) {
        text += "\n  " + group.name + ": " + std::to_string(group.requests) +
                (group.requests == 1 ? " request" : " requests");
        total += group.requests;
    }
    if (plan.size() > 1)
        text += "\n" + std::to_string(total) + " requests in all.";
    return text;
}

void SettingsDialog::SaveChanges() {
    if (!StorePages(*working_, true))
        return;
    // Not sending goes back to the editor with every edit in place; leaving is Cancel's question.
    if (!prompter_.Confirm(SendQuestion(), "Send", "Back to the editor", kSettingsDialogCaption))
        return;
    closing_ = true;
    accept();
}

void SettingsDialog::reject() {
    if (closing_)
        return QDialog::reject();
    auto taken = std::make_unique<ConfigBlock>(*working_);
    const bool changed = !StorePages(*taken, false) || SettingsDiffer(*opened_, *taken);
    if (changed && !prompter_.Confirm("Discard the changes made in the settings?", "Discard",
                                      "Back to the editor", kSettingsDialogCaption))
        return;
    closing_ = true;
    QDialog::reject();
}

void SettingsDialog::SaveToFile() {
    // The file holds what the pages show, edits included.
    if (!StorePages(*working_, true))
        return;
    const std::string path = files_.SaveFile({"Save device settings", kSettingsFileFilter, "cfg"});
    if (path.empty())
        return;
    if (const auto problem = SaveSettingsFile(path, *working_))
        prompter_.Warning(*problem, kSettingsDialogCaption);
}

void SettingsDialog::LoadFromFile() {
    const std::string path = files_.OpenFile({"Load device settings", kSettingsFileFilter, "cfg"});
    if (path.empty())
        return;
    SettingsFileNotes notes;
    if (const auto problem = LoadSettingsFile(path, *working_, &notes)) {
        prompter_.Warning("The settings file was not loaded. " + *problem, kSettingsDialogCaption);
        return;
    }
    for (const std::string& note : notes)
        prompter_.Information(note, kSettingsDialogCaption);
    LoadPages();
}

}  // namespace velmar
