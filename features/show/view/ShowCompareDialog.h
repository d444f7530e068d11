#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "features/show/core/ShowFile.h"
#include "features/show/view/ShowFrames.h"

class QTreeWidget;

namespace velmar {

class ConsoleCore;

// "Compare with live": each frame of a show against the frame of its serial number, per section
// what differs, what the file names that the frame lacks, what the frame keeps. Sends nothing.
class ShowCompareDialog final : public QDialog {
  public:
    ShowCompareDialog(ConsoleCore& core, ShowFile show, std::string file, QWidget* parent = nullptr);
    ~ShowCompareDialog() override;

    QTreeWidget& Tree() { return *tree_; }
    bool Ready() const { return frames_->Ready(); }

  private:
    void Refresh();

    ShowFile show_;
    QTreeWidget* tree_;
    std::unique_ptr<ShowFrames> frames_;
};

}  // namespace velmar
