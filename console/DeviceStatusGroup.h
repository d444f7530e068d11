#pragma once

#include <QGroupBox>
#include <QLineEdit>
#include <array>

#include "device/ConnectionState.h"
#include "device/DeviceState.h"
#include "device/Session.h"

namespace velmar {

// " Device status ": sync source, sample rate, two power supplies and three fans, read from
// DeviceState. While connected, a field that reports trouble is drawn black on red.
class DeviceStatusGroup final : public QGroupBox {
    Q_OBJECT

  public:
    enum Field { Sync, Rate, Psu1, Psu2, Fan1, Fan2, Fan3, FieldCount };

    explicit DeviceStatusGroup(Session& session, QWidget* parent = nullptr);

    void RefreshSyncText();
    void RefreshRateText();
    void RefreshPowerTexts();
    void RefreshFanTexts();
    // The connection changed: the fields are enabled exactly while connected and emptied until
    // the frame reports, except after a lost link (then they keep the last values).
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
    Subscriptions subscriptions_;
};

}  // namespace velmar
