#include "features/show/view/ShowApplyDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "console/ConsoleCore.h"
#include "features/show/core/ShowSending.h"
#include "features/show/view/ShowDifferences.h"
#include "protocol/TextEncoding.h"

namespace velmar {

namespace {

void AppendLines(QString& text, const QString& heading, const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        text += QStringLiteral("  ") + heading + QStringLiteral(": ") + QString::fromStdString(line) + '\n';
}

// Everything a run plans to send, to tell whether two plans are the same.
std::string PlanText(const ShowComparison& c) {
    std::string text;
    for (const auto* lines :
         {&c.settings, &c.cards, &c.routes, &c.labels, &c.gains, &c.detectors, &c.ppm, &c.flows, &c.unsent}) {
        for (const std::string& line : *lines)
            text.append(line).push_back('\n');
        text.push_back('\n');
    }
    return text;
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
      requests_(new QPlainTextEdit(this)),
      progress_(new QProgressBar(this)),
      previewButton_(new QPushButton(QStringLiteral("Preview requests"), this)),
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
    requests_->setReadOnly(true);
    requests_->setLineWrapMode(QPlainTextEdit::NoWrap);
    requests_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    previewButton_->setEnabled(false);
    previewButton_->setToolTip(
        QStringLiteral("Reads the ticked frames again and lists the lines Send would write to each; "
                       "nothing is sent"));
    connect(previewButton_, &QPushButton::clicked, this, [this] { PreviewRequests(); });
    progress_->setRange(0, 1);
    progress_->setValue(0);
    send_->setEnabled(false);
    connect(send_, &QPushButton::clicked, this, [this] { Send(); });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(previewButton_, QDialogButtonBox::ActionRole);
    buttons->addButton(send_, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tree_);
    layout->addLayout(sectionRow);
    layout->addWidget(network_);
    layout->addWidget(
        new QLabel(QStringLiteral("What will be sent, from the frame's value to the file's:"), this));
    layout->addWidget(preview_);
    layout->addWidget(
        new QLabel(QStringLiteral("The requests, as they would leave (Preview requests):"), this));
    layout->addWidget(requests_);
    layout->addWidget(progress_);
    layout->addWidget(new QLabel(QStringLiteral("Report:"), this));
    layout->addWidget(report_);
    layout->addWidget(buttons);
    resize(820, 640);
    frames_ = std::make_unique<ShowFrames>(core, ShowTargets(core, show_), file_);
    previewPlans_.resize(frames_->Size());
    for (std::size_t i = 0; i < frames_->Size(); ++i) {
        auto* item = new QTreeWidgetItem(tree_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Checked);
    }
    connect(tree_, &QTreeWidget::itemChanged, this, [this] {
        ForgetPreview();
        Refresh();
    });
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
    ForgetPreview();
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
    previewButton_->setEnabled(!sending_ && frames_->Ready() && anything && !previewFrames_);
}

void ShowApplyDialog::PreviewRequests() {
    if (sending_ || !frames_->Ready() || previewFrames_)
        return;
    ForgetPreview();
    std::vector<ShowFrames::Target> targets;
    for (std::size_t i = 0; i < frames_->Size(); ++i) {
        if (!FrameChosen(i) || frames_->Run(i).GetStage() != ShowFrameRun::Stage::Compared)
            continue;
        targets.push_back({frames_->Address(i), &show_.frames[i]});
        previewed_.push_back(i);
    }
    if (targets.empty())
        return;
    requests_->setPlainText(QStringLiteral("Reading the frames again…"));
    previewFrames_ = std::make_unique<ShowFrames>(
        core_, targets, file_, ShowFrames::Preview{ChosenSections(), network_->isChecked()});
    previewFrames_->changed = [this] {
        // Listed on a later turn: the preview's runs and leases go then, not inside a run's call.
        if (previewFrames_ && previewFrames_->Ready())
            QTimer::singleShot(0, this, [this] { ListPreview(); });
    };
    Refresh();
}

void ShowApplyDialog::ListPreview() {
    if (!previewFrames_ || !previewFrames_->Ready())
        return;
    QString text;
    for (std::size_t k = 0; k < previewFrames_->Size(); ++k) {
        const std::size_t i = previewed_[k];
        const ShowFrameRun& run = previewFrames_->Run(k);
        const QString title = ShowFrameTitle(show_.frames[i], frames_->Address(i));
        if (run.GetStage() == ShowFrameRun::Stage::Failed) {
            text += title + QStringLiteral(": not reached: ") + QString::fromStdString(run.Problem()) + '\n';
            continue;
        }
        if (!run.Comparison().problem.empty()) {
            text += title + QStringLiteral(": refused, nothing is sent: ") +
                    QString::fromStdString(run.Comparison().problem) + '\n';
            continue;
        }
        const std::vector<std::string>& lines = previewFrames_->Held(k);
        text += title + QStringLiteral(": %1 requests\n").arg(lines.size());
        for (const std::string& line : lines)
            text += QString::fromStdString(DecodeFrameText(line)) + '\n';
        for (const ShowFrameRun::Item& item : run.Items()) {
            if (!item.previewed)
                text += QStringLiteral("not sent: ") + QString::fromStdString(item.text) + '\n';
        }
        previewPlans_[i] = PlanText(run.Comparison());
    }
    requests_->setPlainText(text);
    previewListed_ = true;
    // The preview's sessions close on a later turn of the loop.
    previewFrames_.reset();
    previewed_.clear();
    Refresh();
}

void ShowApplyDialog::ForgetPreview() {
    previewFrames_.reset();
    previewed_.clear();
    std::fill(previewPlans_.begin(), previewPlans_.end(), std::nullopt);
    previewListed_ = false;
    requests_->clear();
}

void ShowApplyDialog::Send() {
    if (sending_ || !frames_->Ready())
        return;
    // What the frame holds now decides what is sent and what the undo file keeps, not what it
    // held when the dialog compared.
    for (std::size_t i = 0; i < frames_->Size(); ++i) {
        if (FrameChosen(i))
            frames_->Run(i).Choose(ChosenSections(), network_->isChecked());
    }
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
        const ShowFrameRun& run = frames_->Run(i);
        if (FrameChosen(i) && previewPlans_[i] && *previewPlans_[i] != PlanText(run.Comparison()))
            undoNote_ += ShowFrameTitle(show_.frames[i], frames_->Address(i)) +
                         QStringLiteral(
                             ": the frame changed after the preview: what is sent differs from "
                             "the preview (it is what the frame holds now).\n");
    }
    for (std::size_t i = 0; i < frames_->Size(); ++i) {
        if (FrameChosen(i))
            frames_->Run(i).Send();
    }
    Refresh();
}

}  // namespace velmar
