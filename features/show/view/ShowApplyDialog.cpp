#include "features/show/view/ShowApplyDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "console/ConsoleCore.h"
#include "features/show/core/ShowSending.h"
#include "features/show/view/ShowDifferences.h"

namespace velmar {

namespace {

void AppendLines(QString& text, const QString& heading, const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        text += QStringLiteral("  ") + heading + QStringLiteral(": ") + QString::fromStdString(line) + '\n';
}

}  // namespace

ShowApplyDialog::ShowApplyDialog(ConsoleCore& core, ShowFile show, std::string file, QWidget* parent)
    : QDialog(parent),
      core_(core),
      show_(std::move(show)),
      file_(std::move(file)),
      tree_(new QTreeWidget(this)),
      network_(new QCheckBox(QStringLiteral("Network identity too"), this)),
      preview_(new QPlainTextEdit(this)),
      report_(new QPlainTextEdit(this)),
      progress_(new QProgressBar(this)),
      send_(new QPushButton(QStringLiteral("Send"), this)) {
    setWindowTitle(QStringLiteral("Apply show: ") + QString::fromStdString(file_));
    tree_->setColumnCount(2);
    tree_->setHeaderLabels({QStringLiteral("Frame"), QStringLiteral("State")});
    tree_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    tree_->setMaximumHeight(140);
    auto* sectionRow = new QHBoxLayout;
    for (const std::string_view section : kShowSections) {
        auto* box =
            new QCheckBox(QString::fromUtf8(section.data(), static_cast<qsizetype>(section.size())), this);
        box->setChecked(true);
        connect(box, &QCheckBox::toggled, this, [this] { Choose(); });
        sections_.push_back(box);
        sectionRow->addWidget(box);
    }
    network_->setToolTip(QStringLiteral("Without it each frame keeps its own addresses and Dante network"));
    connect(network_, &QCheckBox::toggled, this, [this] { Choose(); });
    preview_->setReadOnly(true);
    report_->setReadOnly(true);
    progress_->setRange(0, 1);
    progress_->setValue(0);
    send_->setEnabled(false);
    connect(send_, &QPushButton::clicked, this, [this] { Send(); });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(send_, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tree_);
    layout->addLayout(sectionRow);
    layout->addWidget(network_);
    layout->addWidget(
        new QLabel(QStringLiteral("What will be sent, from the frame's value to the file's:"), this));
    layout->addWidget(preview_);
    layout->addWidget(progress_);
    layout->addWidget(new QLabel(QStringLiteral("Report:"), this));
    layout->addWidget(report_);
    layout->addWidget(buttons);
    resize(820, 640);
    frames_ = std::make_unique<ShowFrames>(core, ShowTargets(core, show_), file_);
    for (std::size_t i = 0; i < frames_->Size(); ++i) {
        auto* item = new QTreeWidgetItem(tree_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Checked);
    }
    connect(tree_, &QTreeWidget::itemChanged, this, [this] { Refresh(); });
    // The runs compare with every section and without the network identity, as the boxes start.
    frames_->changed = [this] { Refresh(); };
    Refresh();
}

ShowApplyDialog::~ShowApplyDialog() = default;

bool ShowApplyDialog::Finished() const {
    if (!sending_)
        return false;
    for (std::size_t i = 0; i < frames_->Size(); ++i) {
        const auto stage = frames_->Run(i).GetStage();
        if (FrameChosen(i) && stage != ShowFrameRun::Stage::Done && stage != ShowFrameRun::Stage::Failed)
            return false;
    }
    return true;
}

QCheckBox& ShowApplyDialog::Section(std::string_view name) {
    for (QCheckBox* box : sections_) {
        if (box->text() == QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())))
            return *box;
    }
    return *sections_.front();
}

std::vector<std::string> ShowApplyDialog::ChosenSections() const {
    std::vector<std::string> chosen;
    for (const QCheckBox* box : sections_) {
        if (box->isChecked())
            chosen.push_back(box->text().toStdString());
    }
    // None ticked is none sent, not all.
    if (chosen.empty())
        chosen.emplace_back("-");
    return chosen;
}

bool ShowApplyDialog::FrameChosen(std::size_t i) const {
    return tree_->topLevelItem(static_cast<int>(i))->checkState(0) == Qt::Checked;
}

void ShowApplyDialog::Choose() {
    // Each run compares again and says so through `changed`, which refreshes the preview.
    for (std::size_t i = 0; i < frames_->Size(); ++i)
        frames_->Run(i).Choose(ChosenSections(), network_->isChecked());
    Refresh();
}

void ShowApplyDialog::Refresh() {
    const QSignalBlocker quiet(tree_);
    QString preview;
    QString report;
    std::size_t settled = 0;
    std::size_t sent = 0;
    bool anything = false;
    for (std::size_t i = 0; i < frames_->Size(); ++i) {
        ShowFrameRun& run = frames_->Run(i);
        QTreeWidgetItem& item = *tree_->topLevelItem(static_cast<int>(i));
        const QString title = ShowFrameTitle(show_.frames[i], frames_->Address(i));
        item.setText(0, title);
        settled += run.Settled();
        sent += run.SentCount();
        switch (run.GetStage()) {
            case ShowFrameRun::Stage::Starting:
            case ShowFrameRun::Stage::Reading:
                item.setText(1, QStringLiteral("reading the frame…"));
                continue;
            case ShowFrameRun::Stage::Failed:
                item.setText(1, QStringLiteral("not reached: ") + QString::fromStdString(run.Problem()));
                report += title + QStringLiteral(": ") + QString::fromStdString(run.Problem()) + '\n';
                continue;
            case ShowFrameRun::Stage::Compared:
                item.setText(
                    1, run.Comparison().Equal() ? QStringLiteral("as the show") : QStringLiteral("differs"));
                break;
            case ShowFrameRun::Stage::Sending:
                item.setText(1, QStringLiteral("sending…"));
                break;
            case ShowFrameRun::Stage::Done:
                item.setText(
                    1, run.AllApplied() ? QStringLiteral("applied") : QStringLiteral("not all applied"));
                break;
        }
        const ShowComparison& c = run.Comparison();
        if (!FrameChosen(i))
            continue;
        preview += title + '\n';
        if (!c.problem.empty()) {
            preview +=
                QStringLiteral("  refused, nothing is sent: ") + QString::fromStdString(c.problem) + '\n';
            continue;
        }
        AppendLines(preview, QStringLiteral("settings"), c.settings);
        AppendLines(preview, QStringLiteral("cards"), c.cards);
        AppendLines(preview, QStringLiteral("routes"), c.routes);
        AppendLines(preview, QStringLiteral("labels"), c.labels);
        AppendLines(preview, QStringLiteral("gains"), c.gains);
        AppendLines(preview, QStringLiteral("detectors"), c.detectors);
        AppendLines(preview, QStringLiteral("ppm"), c.ppm);
        AppendLines(preview, QStringLiteral("flows"), c.flows);
        AppendLines(preview, QStringLiteral("cannot be sent"), c.unsent);
        anything = anything || !c.Equal();
        if (run.GetStage() != ShowFrameRun::Stage::Done)
            continue;
        std::size_t answered = 0;
        QString failed;
        for (const ShowFrameRun::Item& entry : run.Items()) {
            if (entry.outcome == Outcome::Answered)
                ++answered;
            else
                failed += QStringLiteral("  ") +
                          (entry.outcome == Outcome::Waiting ? QStringLiteral("not sent: ") : QString()) +
                          QString::fromStdString(entry.text) + '\n';
        }
        report += title + QStringLiteral(": %1 requests answered\n").arg(answered) + failed;
    }
    preview_->setPlainText(preview);
    if (sending_)
        report_->setPlainText(undoNote_ + report);
    progress_->setRange(0, static_cast<int>(std::max<std::size_t>(sent, 1)));
    progress_->setValue(static_cast<int>(settled));
    send_->setEnabled(!sending_ && frames_->Ready() && anything);
}

void ShowApplyDialog::Send() {
    if (sending_ || !frames_->Ready())
        return;
    // A show that cannot be taken whole sends nothing, to any frame.
    ShowFile before;
    for (std::size_t i = 0; i < frames_->Size(); ++i) {
        ShowFrameRun& run = frames_->Run(i);
        if (!FrameChosen(i) || run.GetStage() != ShowFrameRun::Stage::Compared)
            continue;
        if (!run.Comparison().problem.empty()) {
            core_.GetPrompter().Warning(run.Comparison().problem + " Nothing sent.", "Apply show");
            return;
        }
        before.frames.push_back(run.Undo());
    }
    const std::string undo = file_ + ".before-apply.toml";
    if (const std::string problem = before.Save(undo); !problem.empty()) {
        core_.GetPrompter().Warning(problem + " Nothing sent.", "Apply show");
        return;
    }
    sending_ = true;
    undoNote_ = QStringLiteral("The rack as it was is saved to ") + QString::fromStdString(undo) +
                QStringLiteral(" (apply it to undo).\n");
    for (std::size_t i = 0; i < frames_->Size(); ++i) {
        if (FrameChosen(i))
            frames_->Run(i).Send();
    }
    Refresh();
}

}  // namespace velmar
