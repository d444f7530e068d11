#pragma once

#include <QDialog>
#include <QStringList>
#include <vector>

#include "features/routing/core/CrosspointFile.h"
#include "features/routing/core/CrosspointTable.h"

class QTreeWidget;
class QPushButton;

namespace velmar {

// The preview of a routing snapshot before it is loaded, measured against the frame's routing
// now: how many crosspoints OK sends, each change as "output: from → to", what stays as it is,
// and every line that sends nothing and why. A file that is not text is refused with its
// reason, and OK is not offered.
class SnapshotPreviewDialog final : public QDialog {
  public:
    SnapshotPreviewDialog(const QString& path, std::int32_t channelCount, const CrosspointTable& live,
                          QWidget* parent);

    const std::vector<Crosspoint>& Connections() const { return connections_; }
    QTreeWidget* List() const { return list_; }
    // The notes under the list: one per skipped line, or the reason the file is refused.
    const QStringList& Notes() const { return notes_; }
    QPushButton* OkButton() const { return ok_; }
    // "12 crosspoints in the file: 5 change the routing, 7 are routed so already. …"
    QString Summary() const { return summary_; }
    // One "MADI 20: AES 01 → AES 05" per change, in output order.
    const QStringList& Changes() const { return changes_; }

  private:
    std::vector<Crosspoint> connections_;
    QStringList notes_;
    QStringList changes_;
    QString summary_;
    QTreeWidget* list_;
    QPushButton* ok_ = nullptr;
};

}  // namespace velmar
