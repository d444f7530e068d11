#pragma once

#include <QDialog>
#include <array>
#include <memory>
#include <string>

#include "device/ConnectionState.h"
#include "device/DeviceState.h"

class QTabWidget;

namespace velmar {

class FilePicker;
class Prompter;
class SettingsPage;
class DantePage;
class OptionalModulePage;

// The tabs, in their order.
enum class SettingsTab : int {
    Id,
    Network,
    SampleRate,
    Synchronization,
    Aes,
    Madi,
    Phd,
    Dante,
    OptionalModule,
    CardConfiguration,
    SystemDelay,
    AliveTime,
    HwConfiguration,
};
inline constexpr int kSettingsTabCount = 13;

// What the editor is opened on: the frame's configuration as it stood, and its hardware.
struct SettingsSubject {
    const ConfigBlock* config = nullptr;
    ModelClass model = ModelClass::Full;
    bool newFirmware = false;
};

// The tabbed settings editor. It edits a working copy of the frame's configuration and sends
// nothing itself: once it closes with Accepted, its owner applies Edited() against Opened().
class SettingsDialog final : public QDialog {
    Q_OBJECT

  public:
    SettingsDialog(const SettingsSubject& subject, Prompter& prompter, FilePicker& files,
                   QWidget* parent = nullptr);
    ~SettingsDialog() override;

    // Puts a page into one of the tabs that other parts fill (card configuration, hardware
    // configuration). A page that is a SettingsPage loads and stores with the others.
    void SetPage(SettingsTab tab, QWidget* page);
    QWidget* Page(SettingsTab tab) const;
    void ShowTab(SettingsTab tab);

    // The frame's model class and firmware generation, for the pages other parts add.
    ModelClass Model() const { return model_; }
    bool NewFirmware() const { return newFirmware_; }

    const ConfigBlock& Opened() const { return *opened_; }
    const ConfigBlock& Edited() const { return *working_; }

    // The buttons, for the console's tests and screenshots.
    void SaveChanges();
    void SaveToFile();
    void LoadFromFile();
    // "Cancel", Enter, Escape and closing the window: asks first when something was changed.
    void reject() override;

  private:
    void LoadPages();
    // Takes every page into `config`; false (after telling the operator, when `say`) when a page
    // refused a value, which is then shown.
    bool StorePages(ConfigBlock& config, bool say);
    void Retitle();
    // The question before sending: what will be sent, by group, with its request counts.
    std::string SendQuestion() const;

    Prompter& prompter_;
    FilePicker& files_;
    ModelClass model_;
    bool newFirmware_;
    std::unique_ptr<ConfigBlock> opened_;
    std::unique_ptr<ConfigBlock> working_;
    QTabWidget* tabs_;
    std::array<QWidget*, kSettingsTabCount> pages_{};
    DantePage* dante_;
    OptionalModulePage* optionalModule_;
    bool closing_ = false;
};

}  // namespace velmar
