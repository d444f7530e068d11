#include "settings/ValueList.h"

namespace velmar {

ValueList::ValueList(Entries entries, QWidget* parent) : QComboBox(parent) {
    SetEntries(entries);
}

void ValueList::SetEntries(Entries entries) {
    clear();
    for (const auto& [text, value] : entries)
        addItem(QString::fromLatin1(text), value);
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
