#include "tools/ToolFields.h"

#include <QLineEdit>
#include <QTreeWidget>

#include "device/ui/Prompter.h"

namespace velmar {

bool FieldReader::Read(QLineEdit* field, std::int32_t first, std::int32_t last, std::int32_t& value) {
    if (failed_)
        return false;
    bool isNumber = false;
    const int read = field->text().trimmed().toInt(&isNumber);
    if (!isNumber || read < first || read > last) {
        failed_ = true;
        const std::string name = field->accessibleName().toStdString();
        prompter_.Warning(name.empty() ? RangeMessage(first, last) : RangeMessage(name, first, last));
        field->setFocus();
        field->selectAll();
        return false;
    }
    value = read;
    return true;
}

std::string RangeMessage(std::int32_t first, std::int32_t last) {
    return "Please enter an integer between " + std::to_string(first) + " and " + std::to_string(last) + ".";
}

std::string RangeMessage(std::string_view field, std::int32_t first, std::int32_t last) {
    return std::string(field) + " must be a whole number from " + std::to_string(first) + " to " +
           std::to_string(last) + ".";
}

QTreeWidget* NewReportList(const QStringList& headers, bool multipleSelection) {
    auto* list = new QTreeWidget;
    list->setHeaderLabels(headers);
    list->setRootIsDecorated(false);
    list->setAllColumnsShowFocus(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(multipleSelection ? QAbstractItemView::ExtendedSelection
                                             : QAbstractItemView::SingleSelection);
    return list;
}

std::int32_t ItemValue(const QTreeWidgetItem* item) {
    return item->data(0, Qt::UserRole).toInt();
}

void RemoveRows(QTreeWidget* list, std::int32_t value) {
    for (int row = list->topLevelItemCount() - 1; row >= 0; --row) {
        if (ItemValue(list->topLevelItem(row)) == value)
            delete list->takeTopLevelItem(row);
    }
}

QTreeWidgetItem* FindRow(QTreeWidget* list, std::int32_t value) {
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        if (ItemValue(list->topLevelItem(row)) == value)
            return list->topLevelItem(row);
    }
    return nullptr;
}

}  // namespace velmar
