#include "features/show/view/ShowSaveDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QMetaObject>
#include <QPushButton>
#include <QVBoxLayout>
#include <set>

#include "console/ConsoleCore.h"
#include "protocol/Ipv4Address.h"

namespace velmar {

ShowSaveDialog::ShowSaveDialog(ConsoleCore& core, QWidget* parent)
    : QDialog(parent),
      core_(core),
      list_(new QListWidget(this)),
      status_(new QLabel(this)),
      save_(new QPushButton(QStringLiteral("Save…"), this)) {
    setWindowTitle(QStringLiteral("Save show"));
    const std::uint32_t focused = core.GetSession().Connection().connectedIp;
    for (const DeviceRow& row : core.Finder().List().Rows()) {
        const std::string& address = row.Column(DeviceColumn::Address);
        // A frame in its recovery firmware or mode 2 holds no configuration to save.
        if (!ParseIpv4(address))
            continue;
        auto* item =
            new QListWidgetItem(QString::fromStdString(address + "  " + row.Column(DeviceColumn::Serial) +
                                                       "  " + row.Column(DeviceColumn::Name)),
                                list_);
        item->setData(Qt::UserRole, QString::fromStdString(address));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(focused != 0 && Ipv4Text(focused) == address ? Qt::Checked : Qt::Unchecked);
    }
    status_->setWordWrap(true);
    connect(save_, &QPushButton::clicked, this, [this] {
        const std::string file = core_.GetFilePicker().SaveFile(
            {"Save show", "Show files (*.toml)|*.toml|All Files (*.*)|*.*", "toml"});
        if (!file.empty())
            SaveTo(file);
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(save_, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("The frames the show holds:"), this));
    layout->addWidget(list_);
    layout->addWidget(status_);
    layout->addWidget(buttons);
}

ShowSaveDialog::~ShowSaveDialog() = default;

QString ShowSaveDialog::Outcome() const {
    return finished_ ? status_->text() : QString();
}

void ShowSaveDialog::SaveTo(std::string file) {
    std::vector<ShowFrames::Target> targets;
    for (int i = 0; i < list_->count(); ++i) {
        if (list_->item(i)->checkState() == Qt::Checked)
            targets.push_back({list_->item(i)->data(Qt::UserRole).toString().toStdString(), nullptr});
    }
    if (targets.empty()) {
        status_->setText(QStringLiteral("Tick the frames the show holds."));
        return;
    }
    file_ = std::move(file);
    finished_ = false;
    save_->setEnabled(false);
    status_->setText(QStringLiteral("Reading %1 frames…").arg(targets.size()));
    frames_ = std::make_unique<ShowFrames>(core_, targets, file_);
    frames_->changed = [this] { Step(); };
}

void ShowSaveDialog::Step() {
    if (!frames_ || !frames_->Ready() || finished_)
        return;
    ShowFile show;
    std::set<std::string> serials;
    std::string problem;
    for (std::size_t i = 0; i < frames_->Size() && problem.empty(); ++i) {
        ShowFrameRun& run = frames_->Run(i);
        if (run.GetStage() == ShowFrameRun::Stage::Failed)
            problem = run.Problem();
        else if (!serials.insert(run.Captured().serial).second)
            problem = "two frames have the serial number " + run.Captured().serial;
        else
            show.frames.push_back(run.Captured());
    }
    if (problem.empty())
        problem = show.Save(file_);
    finished_ = true;
    save_->setEnabled(true);
    status_->setText(problem.empty() ? QStringLiteral("%1 %2 saved to %3")
                                           .arg(show.frames.size())
                                           .arg(show.frames.size() == 1 ? QStringLiteral("frame")
                                                                        : QStringLiteral("frames"))
                                           .arg(QString::fromStdString(file_))
                                     : QString::fromStdString(file_ + " not written: " + problem));
    if (!problem.empty())
        core_.GetPrompter().Warning(file_ + " not written: " + problem, "Save show");
    // Not inside the run's own callback: the frames go on the next turn.
    QMetaObject::invokeMethod(
        this, [this] { frames_.reset(); }, Qt::QueuedConnection);
}

}  // namespace velmar
