#include "features/settings/view/ValueList.h"

namespace velmar {

ValueList::ValueList(QWidget* parent) : QComboBox(parent) {}

ValueList::ValueList(Setting setting, QWidget* parent) : QComboBox(parent) {
    SetEntries(setting);
}

void ValueList::SetEntries(Setting setting) {
    clear();
    for (const SettingChoice& choice : RangeOf(setting).choices)
        addItem(QString::fromUtf8(choice.text.data(), static_cast<qsizetype>(choice.text.size())),
                choice.value);
    setCurrentIndex(-1);
}

void ValueList::Select(int value) {
    setCurrentIndex(findData(value));
}

std::optional<int> ValueList::Value() const {
    if (currentIndex() < 0)
        return std::nullopt;
    return currentData().toInt();
}

}  // namespace velmar
