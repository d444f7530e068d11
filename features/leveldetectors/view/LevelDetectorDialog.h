#pragma once

#include <QDialog>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "device/EventHub.h"
#include "features/leveldetectors/core/LevelDetectorRules.h"

class QCheckBox;
class QLineEdit;
class QTableView;

namespace velmar {

class ChannelFindBox;
class ChannelTableModel;
class Prompter;
class Session;

// Every channel's input and output level detector: thresholds, enable and status as the frame
// reports them; edits the selected channels or all of them and sends only what differs.
class LevelDetectorDialog final : public QDialog {
  public:
    // The edit fields of one direction.
    struct DirectionFields {
        QLineEdit* time1 = nullptr;
        QLineEdit* level1 = nullptr;
        QLineEdit* time2 = nullptr;
        QLineEdit* level2 = nullptr;
        QCheckBox* enable = nullptr;
    };

    LevelDetectorDialog(Session& session, Prompter& prompter, QWidget* parent);
    ~LevelDetectorDialog() override;

    // The requests that fill the list; sent before the dialog opens.
    static void RequestDetectors(Session& session);

    void Apply(std::int32_t direction);
    void ApplyAll();
    void ClearAll();
    // Clears the input (0), output (1) or both (nothing) of the selected channels, after asking.
    void ClearSelected(std::optional<std::int32_t> direction);
    void GetStatus();
    void SetShowActiveOnly(bool on);
    // Puts the stored values of `channel` into the edit fields.
    void ShowChannel(std::int32_t channel);

    QTableView* List() const { return list_; }
    ChannelTableModel* Model() const { return model_; }
    ChannelFindBox* FindBox() const { return find_; }
    const DirectionFields& Fields(std::int32_t direction) const {
        return fields_[static_cast<std::size_t>(direction)];
    }

  private:
    void Fill();
    // The fields of a direction as a target, or nothing after telling the operator why not.
    std::optional<DetectorTarget> ReadTarget(std::int32_t direction);
    void Send(const std::vector<DetectorRequest>& requests);

    Session& session_;
    Prompter& prompter_;
    ChannelTableModel* model_;
    QTableView* list_;
    ChannelFindBox* find_;
    QCheckBox* activeOnly_;
    std::array<DirectionFields, 2> fields_;
    Subscriptions subscriptions_;
};

}  // namespace velmar
