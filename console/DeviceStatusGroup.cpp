#include "console/DeviceStatusGroup.h"

#include <QGridLayout>
#include <QLabel>

#include "device/DeviceModel.h"
#include "features/clock/core/ClockEvents.h"
#include "features/identity/core/IdentityEvents.h"

namespace velmar {

namespace {

constexpr const char* kLabels[DeviceStatusGroup::FieldCount] = {
    "Sync source", "Sample rate", "PSU 1", "PSU 2", "FAN 1", "FAN 2", "FAN 3"};

QString FromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

DeviceStatusGroup::DeviceStatusGroup(Session& session, QWidget* parent)
    : QGroupBox(QStringLiteral(" Device status "), parent),
      state_(session.State()),
      connection_(session.Connection()) {
    auto* layout = new QGridLayout(this);
    for (int i = 0; i < FieldCount; ++i) {
        auto* field = new QLineEdit(this);
        field->setReadOnly(true);
        field->setFocusPolicy(Qt::NoFocus);
        field->setAlignment(Qt::AlignCenter);
        field->setEnabled(false);
        auto* label = new QLabel(QString::fromLatin1(kLabels[i]), this);
        label->setBuddy(field);
        layout->addWidget(label, 0, i);
        layout->addWidget(field, 1, i);
        // The sync source and the rate carry longer texts than the unit fields.
        layout->setColumnStretch(i, i < Psu1 ? 3 : 2);
        fields_[static_cast<std::size_t>(i)] = field;
    }
    EventHub& events = session.Events();
    subscriptions_.push_back(
        events.Subscribe<SyncStatusChanged>([this](const SyncStatusChanged&) { RefreshSyncText(); }));
    subscriptions_.push_back(
        events.Subscribe<SampleRateChanged>([this](const SampleRateChanged&) { RefreshRateText(); }));
    subscriptions_.push_back(
        events.Subscribe<PowerStatusChanged>([this](const PowerStatusChanged&) { RefreshPowerTexts(); }));
    subscriptions_.push_back(
        events.Subscribe<FanStatusChanged>([this](const FanStatusChanged&) { RefreshFanTexts(); }));
    subscriptions_.push_back(events.Subscribe<velmar::ConnectionChanged>(
        [this](const velmar::ConnectionChanged& e) { ConnectionChanged(e.connected); }));
    ConnectionChanged(connection_.connected);
}

// The colours are worked out on every refresh, so a changed status always shows its colour.
void DeviceStatusGroup::RefreshSyncText() {
    fields_[Sync]->setText(FromView(SyncSourceName(state_.live.syncSource)));
    UpdateColours();
}

void DeviceStatusGroup::RefreshRateText() {
    fields_[Rate]->setText(FromView(SampleRateName(state_.live.actualRate)));
    UpdateColours();
}

void DeviceStatusGroup::RefreshPowerTexts() {
    for (std::size_t unit = 1; unit <= 2; ++unit) {
        SetUnit(static_cast<Field>(Psu1 + unit - 1), state_.config.psuConf, unit,
                state_.live.psuStatus[unit - 1]);
    }
    UpdateColours();
}

void DeviceStatusGroup::RefreshFanTexts() {
    for (std::size_t unit = 1; unit <= 3; ++unit) {
        SetUnit(static_cast<Field>(Fan1 + unit - 1), state_.config.fanConf, unit,
                state_.live.fanStatus[unit - 1]);
    }
    UpdateColours();
}

void DeviceStatusGroup::ConnectionChanged(bool connected) {
    // After a lost link the last values stay, greyed, beside the banner that says since when.
    const bool keep = !connected && connection_.lostSince.has_value();
    for (QLineEdit* field : fields_) {
        if (!keep)
            field->clear();
        field->setEnabled(connected);
    }
    UpdateColours();
}

void DeviceStatusGroup::SetUnit(Field field, std::uint32_t fittedMask, std::size_t unit,
                                std::int32_t status) {
    const std::string_view text = UnitStatusText(fittedMask, unit, status);
    fields_[field]->setText(FromView(text));
    fields_[field]->setEnabled(connection_.connected && !text.empty());
}

bool DeviceStatusGroup::Alarmed(Field field) const {
    if (!connection_.connected)
        return false;
    const QString text = fields_[field]->text();
    switch (field) {
        case Sync:
            return state_.live.syncState != 0;
        case Rate:
            return text == QLatin1String("Error");
        default:
            return !text.isEmpty() && text != QLatin1String("OK");
    }
}

void DeviceStatusGroup::UpdateColours() {
    for (int i = 0; i < FieldCount; ++i) {
        QLineEdit* field = fields_[static_cast<std::size_t>(i)];
        QPalette palette = this->palette();
        if (Alarmed(static_cast<Field>(i))) {
            for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
                palette.setColor(group, QPalette::Base, Qt::red);
                palette.setColor(group, QPalette::Text, Qt::black);
            }
        }
        field->setPalette(palette);
    }
}

}  // namespace velmar
