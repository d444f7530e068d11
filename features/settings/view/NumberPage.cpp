#include "features/settings/view/NumberPage.h"

#include <QFormLayout>
#include <QLineEdit>

#include "features/settings/view/PageFields.h"

namespace velmar {

NumberPage::NumberPage(const char* label, Setting setting, std::int32_t ConfigBlock::*field, QWidget* parent)
    : SettingsPage(parent),
      label_(label),
      setting_(setting),
      field_(field),
      box_(new QLineEdit),
      note_(new ProblemNote) {
    auto* form = new QFormLayout(this);
    form->addRow(label, box_);
    form->addRow(note_);
}

void NumberPage::Load(const ConfigBlock& config) {
    box_->setText(QString::number(config.*field_));
    note_->Set(box_, {});
}

std::optional<std::string> NumberPage::Store(ConfigBlock& config) {
    return TakeNumber(*box_, label_, RangeOf(setting_), config.*field_, *note_);
}

}  // namespace velmar
