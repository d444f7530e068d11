#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace velmar {

class Prompter;

// Reads number fields in a fixed order. The first field that is not a number in its range
// brings the range message (naming the field by its accessible name, when it has one) and the
// focus, and every read after it fails: an action stops there instead of going on with a typo.
class FieldReader {
  public:
    explicit FieldReader(Prompter& prompter) : prompter_(prompter) {}
    bool Read(QLineEdit* field, std::int32_t first, std::int32_t last, std::int32_t& value);

  private:
    Prompter& prompter_;
    bool failed_ = false;
};

// The range message.
std::string RangeMessage(std::int32_t first, std::int32_t last);
// The range message of a named field: "Rate (ms) must be a whole number from 10 to 60000."
std::string RangeMessage(std::string_view field, std::int32_t first, std::int32_t last);

// A report list: full-row selection, no tree decoration, the item value in column 0's user data.
QTreeWidget* NewReportList(const QStringList& headers, bool multipleSelection);
std::int32_t ItemValue(const QTreeWidgetItem* item);
// Removes every row whose item value is `value`.
void RemoveRows(QTreeWidget* list, std::int32_t value);
QTreeWidgetItem* FindRow(QTreeWidget* list, std::int32_t value);

}  // namespace velmar
