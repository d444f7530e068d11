#include "features/firmware/view/FirmwareWindow.h"

#include "device/DeviceModel.h"
#include "device/SessionEvents.h"
#include "features/firmware/core/FirmwareEvents.h"
#include "features/firmware/core/FirmwareUnit.h"
#include "widgets/TitleFit.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>

namespace velmar {

namespace {

constexpr std::string_view kFirmwareWindowCaption = "Firmware update";

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

FirmwareWindow::FirmwareWindow(Session& session, Prompter& prompter, FilePicker& files, QWidget* parent)
    : QDialog(parent), session_(session), prompter_(prompter), files_(files) {
    setWindowTitle(Text(kFirmwareWindowCaption));
    TitleFit::Install(*this);
    flash_ = new QPushButton(QStringLiteral("Flash file(s) ..."), this);
    close_ = new QPushButton(QStringLiteral("Close"), this);
    stop_ = new QPushButton(QStringLiteral("Stop"), this);
    stop_->setEnabled(false);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 100);
    bar_->setValue(0);
    counter_ = new QLabel(QStringLiteral("0"), this);
    counter_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    counter_->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("000000")));
    records_ = new QLabel(QStringLiteral("of 0 records programmed"), this);
    fileName_ = new QLabel(this);
    fileNumber_ = new QLabel(this);
    outcome_ = new QLabel(this);
    outcome_->setWordWrap(true);

    auto* count = new QHBoxLayout;
    count->addWidget(counter_);
    count->addWidget(records_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(flash_);
    buttons->addWidget(stop_);
    buttons->addStretch(1);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fileName_);
    layout->addWidget(fileNumber_);
    layout->addWidget(bar_);
    layout->addLayout(count);
    layout->addWidget(outcome_);
    layout->addLayout(buttons);
    setMinimumWidth(420);

    connect(flash_, &QPushButton::clicked, this, &FirmwareWindow::ChooseFiles);
    connect(close_, &QPushButton::clicked, this, &FirmwareWindow::reject);
    connect(stop_, &QPushButton::clicked, this, &FirmwareWindow::Stop);
    EventHub& events = session_.Events();
    subscriptions_.push_back(
        events.Subscribe<FirmwareProgress>([this](const FirmwareProgress& e) { OnProgress(e); }));
    subscriptions_.push_back(
        events.Subscribe<FirmwareRunEnded>([this](const FirmwareRunEnded& e) { OnEnded(e); }));
}

void FirmwareWindow::ChooseFiles() {
    if (!session_.IsReady() || !batch_.Empty())
        return;
    std::vector<std::string> chosen =
        files_.OpenFiles({"Open flash file", "Flash file (*.flash)|*.flash|All Files (*.*)|*.*", "flash"});
    std::erase(chosen, std::string());
    if (chosen.empty())
        return;
    // The last file chosen is programmed first.
    std::reverse(chosen.begin(), chosen.end());
    FirmwareBatchRead read = ReadFirmwareImages(chosen);
    if (!read.problem.empty()) {
        Fail(read.problem);
        return;
    }
    if (!prompter_.Question(AboutFrame("Start programming flash", session_.Connection()),
                            kFirmwareWindowCaption))
        return;
    batch_ = FirmwareBatch(std::move(read.images));
    StartCurrent();
}

void FirmwareWindow::StartCurrent() {
    const FirmwareImage& image = batch_.Current();
    counter_->setText(QStringLiteral("0"));
    records_->setText(QStringLiteral("of %1 records programmed").arg(image.records.size()));
    fileName_->setText(QString::fromStdString(image.Name()));
    fileNumber_->setText(QStringLiteral("File %1 of %2").arg(batch_.FileNumber()).arg(batch_.FileCount()));
    bar_->setValue(0);
    outcome_->clear();
    close_->setEnabled(false);
    flash_->setEnabled(false);
    stop_->setEnabled(true);
    if (const RequestProblem problem = session_.Feature<FirmwareUnit>().StartRun(image.records))
        Fail(image.path + ": " + *problem);
}

void FirmwareWindow::OnProgress(const FirmwareProgress& progress) {
    if (batch_.Empty())
        return;
    if (FirmwareCounterShows(progress.acknowledged, progress.total))
        counter_->setText(QString::number(progress.acknowledged));
    bar_->setValue(FirmwarePercent(progress.acknowledged, progress.total));
    // The end goes out with the last record's answer: from there the frame has the whole image.
    if (progress.acknowledged >= progress.total)
        stop_->setEnabled(false);
}

void FirmwareWindow::Stop() {
    if (!batch_.Empty())
        session_.Feature<FirmwareUnit>().Stop();
}

void FirmwareWindow::OnEnded(const FirmwareRunEnded& ended) {
    if (batch_.Empty())
        return;
    if (ended.outcome != FirmwareOutcome::Programmed) {
        // Where it stopped, exactly: the counter is otherwise redrawn only every 64 records.
        counter_->setText(QString::number(ended.acknowledged));
        bar_->setValue(FirmwarePercent(ended.acknowledged, ended.total));
        const std::string why = FirmwareFailureText(ended, batch_.Current().path);
        if (ended.outcome == FirmwareOutcome::Stopped) {
            // The operator asked for it: said in the window and the log, no message box.
            batch_.Clear();
            outcome_->setText(QString::fromStdString(why));
            Idle();
            session_.Events().Publish(ConsoleNotice{
                NoticeLevel::Warning, FrameLabel(session_.Connection()) + ": flash programming " + why});
            return;
        }
        Fail(why);
        return;
    }
    counter_->setText(QString::number(ended.acknowledged));
    bar_->setValue(100);
    if (batch_.Advance()) {
        StartCurrent();
        return;
    }
    session_.Events().Publish(
        ConsoleNotice{NoticeLevel::Info, FrameLabel(session_.Connection()) + ": flash programmed (" +
                                             std::to_string(batch_.FileCount()) +
                                             (batch_.FileCount() == 1 ? " file)." : " files).")});
    batch_.Clear();
    const bool recovery = session_.Connection().deviceMode == DeviceMode::Recovery;
    const std::string question = std::string("Flash successfully programmed.\nRestart device") +
                                 (recovery ? " and load application" : "");
    if (prompter_.Question(question, kFirmwareWindowCaption)) {
        session_.Feature<FirmwareUnit>().RestartAfterProgramming();
        Idle();
        accept();
        return;
    }
    Idle();
}

void FirmwareWindow::Fail(const std::string& why) {
    // The file name and number stay: together with the outcome they say where the run stopped.
    batch_.Clear();
    outcome_->setText(QString::fromStdString(why));
    Idle();
    prompter_.Warning("Flash programming error on " + FrameLabel(session_.Connection()) + "\n\n" + why,
                      kFirmwareWindowCaption);
}

void FirmwareWindow::Idle() {
    close_->setEnabled(true);
    flash_->setEnabled(true);
    stop_->setEnabled(false);
}

void FirmwareWindow::reject() {
    if (!batch_.Empty() || session_.Feature<FirmwareUnit>().RunActive())
        return;
    QDialog::reject();
}

void FirmwareWindow::closeEvent(QCloseEvent* event) {
    if (!batch_.Empty() || session_.Feature<FirmwareUnit>().RunActive()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace velmar
