#pragma once

#include <QDialog>
#include <vector>

#include "routing/core/CrosspointFile.h"

class QTreeWidget;

namespace velmar {

// The preview of a routing snapshot before it is loaded: every crosspoint that OK will send, and
// nothing else.
class SnapshotPreviewDialog final : public QDialog {
  public:
    SnapshotPreviewDialog(const QString& path, std::int32_t channelCount, QWidget* parent);

    const std::vector<Crosspoint>& Connections() const { return connections_; }
    QTreeWidget* List() const { return list_; }

  private:
    std::vector<Crosspoint> connections_;
    QTreeWidget* list_;
};

}  // namespace velmar
