#include "features/watch/view/RackSettingsDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QSpinBox>
#include <QVBoxLayout>

namespace velmar {

RackSettingsDialog::RackSettingsDialog(const RackSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings) {
    setWindowTitle(QStringLiteral("Rack settings"));
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("Alarms"), this);
    auto* alarms = new QVBoxLayout(group);
    for (const AlarmKind kind : kAllAlarmKinds) {
        const std::string_view title = AlarmKindTitle(kind);
        auto* box =
            new QCheckBox(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())), group);
        box->setChecked(settings.Alarm(kind));
        alarms->addWidget(box);
        alarms_[static_cast<std::size_t>(kind)] = box;
    }
    layout->addWidget(group);
    auto* form = new QFormLayout;
    keepDays_ = new QSpinBox(this);
    keepDays_->setRange(1, RackSettings::kMaxKeepDays);
    keepDays_->setValue(settings.keepDays);
    keepDays_->setSuffix(QStringLiteral(" days"));
    form->addRow(QStringLiteral("Keep history for"), keepDays_);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

RackSettings RackSettingsDialog::Chosen() const {
    RackSettings chosen = settings_;
    for (const AlarmKind kind : kAllAlarmKinds)
        chosen.alarms[static_cast<std::size_t>(kind)] = alarms_[static_cast<std::size_t>(kind)]->isChecked();
    chosen.keepDays = keepDays_->value();
    return chosen;
}

}  // namespace velmar
