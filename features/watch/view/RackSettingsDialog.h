#pragma once

#include <QDialog>
#include <array>

#include "features/watch/core/RackSettings.h"

class QCheckBox;
class QSpinBox;

namespace velmar {

// The rack's settings: which alarms are on and how many days of history are kept.
class RackSettingsDialog final : public QDialog {
    Q_OBJECT

  public:
    RackSettingsDialog(const RackSettings& settings, QWidget* parent);

    RackSettings Chosen() const;
    QCheckBox* AlarmBox(AlarmKind kind) const { return alarms_[static_cast<std::size_t>(kind)]; }
    QSpinBox* KeepDays() const { return keepDays_; }

  private:
    RackSettings settings_;
    std::array<QCheckBox*, kAlarmKinds> alarms_{};
    QSpinBox* keepDays_;
};

}  // namespace velmar
