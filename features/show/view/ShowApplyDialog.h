#pragma once

#include <QDialog>
#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "features/show/core/ShowFile.h"
#include "features/show/view/ShowFrames.h"

class QCheckBox;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace velmar {

class ConsoleCore;
class Prompter;

// "Apply show": tick frames and sections, see what will be sent (the differences, and on "Preview
// requests" the very lines each frame would be sent), Send. The rack as it is goes to
// FILE.before-apply.toml first (applying that undoes it); the frames keep their own network
// identity unless "Network identity too" is ticked. Each frame's report names every request that
// was refused, unanswered or lost, and every difference that could not be sent.
class ShowApplyDialog final : public QDialog {
  public:
    ShowApplyDialog(ConsoleCore& core, ShowFile show, std::string file, QWidget* parent = nullptr);
    ~ShowApplyDialog() override;

    bool Ready() const { return frames_->Ready(); }
    // Every ticked frame has been sent to (or was not reached).
    bool Finished() const;
    QTreeWidget& Frames() { return *tree_; }
    QCheckBox& Section(std::string_view name);
    QCheckBox& Network() { return *network_; }
    QPlainTextEdit& Preview() { return *preview_; }
    QPlainTextEdit& Report() { return *report_; }
    // The lines of the last preview, per frame, with their count.
    QPlainTextEdit& Requests() { return *requests_; }
    // Reads each ticked frame again on a session of its own and lists what Send would write to it
    // for the ticked sections; nothing reaches the frames.
    void PreviewRequests();
    // The last preview has listed its lines.
    bool PreviewListed() const { return previewListed_; }
    void Send();

  private:
    std::vector<std::string> ChosenSections() const;
    bool FrameChosen(std::size_t i) const;
    void Choose();
    void Refresh();
    void ListPreview();
    void ForgetPreview();

    ConsoleCore& core_;
    ShowFile show_;
    std::string file_;
    QTreeWidget* tree_;
    std::vector<QCheckBox*> sections_;
    QCheckBox* network_;
    QPlainTextEdit* preview_;
    QPlainTextEdit* report_;
    QPlainTextEdit* requests_;
    QProgressBar* progress_;
    QPushButton* previewButton_;
    QPushButton* send_;
    bool sending_ = false;
    QString undoNote_;
    std::unique_ptr<ShowFrames> frames_;
    // The running preview and, for each of its frames, the frame's index in frames_.
    std::unique_ptr<ShowFrames> previewFrames_;
    std::vector<std::size_t> previewed_;
    // Per frame of frames_: the differences the last preview planned from (empty: none).
    std::vector<std::optional<std::string>> previewPlans_;
    bool previewListed_ = false;
};

}  // namespace velmar
