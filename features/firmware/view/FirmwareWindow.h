#pragma once

#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "device/Session.h"
#include "device/ui/FilePicker.h"
#include "device/ui/Prompter.h"
#include "features/firmware/core/FirmwareBatch.h"
#include "features/firmware/core/FirmwareEvents.h"

namespace velmar {

// "Firmware update": programs one or more flash files into the connected frame and shows the
// progress. Every chosen file is read and checked before the first is begun; the session's
// firmware unit paces the records, this window only follows its events. It cannot be closed
// while a run is active, but the run can be stopped; a run that ends short leaves the window
// saying where it stopped and why.
class FirmwareWindow final : public QDialog {
    Q_OBJECT

  public:
    FirmwareWindow(Session& session, Prompter& prompter, FilePicker& files, QWidget* parent = nullptr);

    // "Flash file(s) ...": choose files and, after the question, start the last chosen.
    void ChooseFiles();

    QPushButton& FlashButton() { return *flash_; }
    QPushButton& CloseButton() { return *close_; }
    QPushButton& StopButton() { return *stop_; }
    QProgressBar& Bar() { return *bar_; }
    QLabel& Counter() { return *counter_; }
    QLabel& RecordsText() { return *records_; }
    QLabel& FileName() { return *fileName_; }
    QLabel& FileNumber() { return *fileNumber_; }
    // Where the last run that ended short stopped, and why; empty otherwise.
    QLabel& Outcome() { return *outcome_; }

  public slots:
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void StartCurrent();
    void OnProgress(const FirmwareProgress& progress);
    void OnEnded(const FirmwareRunEnded& ended);
    void Stop();
    void Fail(const std::string& why);
    void Idle();

    Session& session_;
    Prompter& prompter_;
    FilePicker& files_;
    FirmwareBatch batch_;

    QPushButton* flash_ = nullptr;
    QPushButton* close_ = nullptr;
    QPushButton* stop_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QLabel* counter_ = nullptr;
    QLabel* records_ = nullptr;
    QLabel* fileName_ = nullptr;
    QLabel* fileNumber_ = nullptr;
    QLabel* outcome_ = nullptr;
    Subscriptions subscriptions_;
};

}  // namespace velmar
