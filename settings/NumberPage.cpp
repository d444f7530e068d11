#include "settings/NumberPage.h"

#include <QFormLayout>
#include <QLineEdit>

#include "settings/PageFields.h"

namespace velmar {

NumberPage::NumberPage(const char* label, Setting setting, std::int32_t ConfigBlock::*field, QWidget* parent)
    : SettingsPage(parent), label_(label), setting_(setting), field_(field), box_(new QLineEdit) {
    auto* form = new QFormLayout(this);
    form->addRow(label, box_);
}

void NumberPage::Load(const ConfigBlock& config) {
    box_->setText(QString::number(config.*field_));
}

std::optional<std::string> NumberPage::Store(ConfigBlock& config) {
    return TakeNumber(*box_, label_, RangeOf(setting_), config.*field_);
}

}  // namespace velmar
