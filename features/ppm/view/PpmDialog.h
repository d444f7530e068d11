#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <optional>

#include "device/ActionOutcomes.h"
#include "device/EventHub.h"
#include "features/ppm/core/PpmStreamTable.h"
#include "features/ppm/core/PpmUnit.h"
#include "features/ppm/view/PpmSettingsDialog.h"

class QLabel;
class QLineEdit;
class QMenu;
class QTreeWidget;

namespace velmar {

class Prompter;
class Session;

// The frame's PPM meter streams: the list the frame reports, one stream's channel assignment,
// and creating, removing, enabling and assigning streams. The list changes only through the
// frame's reports.
class PpmDialog final : public QDialog {
  public:
    PpmDialog(Session& session, Prompter& prompter, QWidget* parent);
    ~PpmDialog() override;

    void Refresh();
    void Create();
    // "Create ...": the settings dialog, run modally.
    void CreateWithSettings();
    // What "Create ..." does with the settings dialog's accepted values.
    void CreateFrom(const PpmStreamSettings& settings);
    PpmStreamSettings SettingsDefaults() const;
    void RemoveSelected();
    void ToggleSelected();
    void AssignSelected(bool deassign);
    void ShowAssignment(std::uint32_t id);
    // The popup menu for the current selection (the caller owns it).
    QMenu* NewPopup();

    QTreeWidget* StreamList() const { return streams_; }
    QTreeWidget* AssignmentList() const { return assignment_; }
    QLineEdit* ChannelCountField() const { return count_; }
    QLineEdit* RateField() const { return rate_; }
    QLineEdit* FirstChannelField() const { return first_; }
    QLabel* Note() const { return note_; }
    const PpmNextStream& Next() const { return next_; }
    const PpmStreamTable& Table() const { return table_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    struct QuickFields {
        std::int32_t count = 0;
        std::int32_t rate = 0;
        std::int32_t first = 0;
    };
    std::optional<QuickFields> ReadFields();
    void Send(const PpmNewStream& stream);
    void Subscribe();
    void OnStream(const PpmStreamReported& report);
    void OnRemoved(std::uint32_t id);
    void OnEnable(std::uint32_t id, bool enabled);
    void OnAssignment(const PpmAssignmentReported& report);
    void ShowAssignmentRow();
    void ShowNote(const QString& text);
    // Runs `send` as one action: the event log tells its outcome, the note line what went wrong.
    void Track(const std::function<void()>& send);
    // Selected stream IDs from the last selected row to the first.
    std::vector<std::uint32_t> SelectedIdsLastFirst() const;

    Session& session_;
    Prompter& prompter_;
    PpmStreamTable table_;
    PpmNextStream next_;
    std::optional<std::uint32_t> shown_;  // the stream the assignment list shows
    QTreeWidget* streams_;
    QTreeWidget* assignment_;
    QLineEdit* count_;
    QLineEdit* rate_;
    QLineEdit* first_;
    QLabel* note_;
    Subscriptions subscriptions_;
    ActionOutcomes outcomes_;
};

}  // namespace velmar
