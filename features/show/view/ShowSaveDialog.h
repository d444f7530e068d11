#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "features/show/view/ShowFrames.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace velmar {

class ConsoleCore;

// "Save show": the frames of the device list in their application firmware, the focused one
// ticked; "Save…" reads every ticked frame whole and writes one show file. A frame that cannot be
// read leaves the file unwritten.
class ShowSaveDialog final : public QDialog {
  public:
    explicit ShowSaveDialog(ConsoleCore& core, QWidget* parent = nullptr);
    ~ShowSaveDialog() override;

    QListWidget& Frames() { return *list_; }
    // Reads the ticked frames and writes `file` once all are read.
    void SaveTo(std::string file);
    // What became of the last save: "3 frames saved to …" or why the file was not written.
    QString Outcome() const;
    bool Finished() const { return finished_; }

  private:
    void Step();

    ConsoleCore& core_;
    QListWidget* list_;
    QLabel* status_;
    QPushButton* save_;
    std::string file_;
    bool finished_ = false;
    std::unique_ptr<ShowFrames> frames_;
};

}  // namespace velmar
