#pragma once

#include <QDialog>
#include <QStringList>
#include <vector>

#include "routing/core/CrosspointFile.h"

class QTreeWidget;
class QPushButton;

namespace velmar {

// The preview of a routing snapshot before it is loaded: every crosspoint that OK will send, and
// nothing else; below it, every line that sends nothing and why. A file that is not text is
// refused with its reason, and OK is not offered.
class SnapshotPreviewDialog final : public QDialog {
  public:
    SnapshotPreviewDialog(const QString& path, std::int32_t channelCount, QWidget* parent);

    const std::vector<Crosspoint>& Connections() const { return connections_; }
    QTreeWidget* List() const { return list_; }
    // The notes under the list: one per skipped line, or the reason the file is refused.
    const QStringList& Notes() const { return notes_; }
    QPushButton* OkButton() const { return ok_; }

  private:
    std::vector<Crosspoint> connections_;
    QStringList notes_;
    QTreeWidget* list_;
    QPushButton* ok_ = nullptr;
};

}  // namespace velmar
