#pragma once

#include <QGroupBox>
#include <QLineEdit>
#include <array>

#include "device/ConnectionState.h"
#include "device/DeviceState.h"
#include "device/views/StatusPanelView.h"

namespace velmar {

// " Device status ": sync source, sample rate, two power supplies and three fans, read from
// DeviceState. While connected, a field that reports trouble is drawn black on red.
class DeviceStatusGroup final : public QGroupBox, public StatusPanelView {
    Q_OBJECT

  public:
    enum Field { Sync, Rate, Psu1, Psu2, Fan1, Fan2, Fan3, FieldCount };

    DeviceStatusGroup(const DeviceState& state, const ConnectionState& connection, QWidget* parent = nullptr);

    void RefreshSyncText(bool repaint) override;
    void RefreshRateText() override;
    void RefreshPowerTexts(bool repaint) override;
    void RefreshFanTexts(bool repaint) override;
    // The connection changed: the fields are enabled exactly while connected; without a
    // connection they are emptied.
    void ConnectionChanged(bool connected);

    const QLineEdit& FieldWidget(Field field) const { return *fields_[field]; }
    // Whether the field is drawn in the alarm colours now.
    bool Alarmed(Field field) const;

  private:
    void SetUnit(Field field, std::uint32_t fittedMask, std::size_t unit, std::int32_t status);
    void UpdateColours();

    const DeviceState& state_;
    const ConnectionState& connection_;
    std::array<QLineEdit*, FieldCount> fields_{};
};

}  // namespace velmar
