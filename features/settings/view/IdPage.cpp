#include "features/settings/view/IdPage.h"

#include <QFormLayout>
#include <QLineEdit>

#include "features/settings/view/PageFields.h"

namespace velmar {

IdPage::IdPage(QWidget* parent)
    : SettingsPage(parent), id_(new QLineEdit), name_(new QLineEdit), note_(new ProblemNote) {
    name_->setMaxLength(16);
    auto* form = new QFormLayout(this);
    form->addRow("ID", id_);
    form->addRow("Name", name_);
    form->addRow(note_);
}

void IdPage::Load(const ConfigBlock& config) {
    id_->setText(QString::number(config.deviceId));
    name_->setText(FrameTextToQString(config.deviceName.View()));
    note_->Set(id_, {});
    note_->Set(name_, {});
}

std::optional<std::string> IdPage::Store(ConfigBlock& config) {
    if (auto problem = TakeNumber(*id_, "ID", RangeOf(Setting::DeviceId), config.deviceId, *note_))
        return problem;
    return TakeText(*name_, "A device name", config.deviceName, *note_);
}

}  // namespace velmar
