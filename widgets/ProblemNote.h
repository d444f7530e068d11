#pragma once

#include <QLabel>
#include <QPointer>
#include <QString>
#include <utility>
#include <vector>

namespace velmar {

class IpAddressEdit;

// The line beside a group of fields that says why one of them cannot be taken. A field with a
// problem is marked (tinted, the reason as its tool tip) and keeps what was typed; the note shows
// the first field's reason, in the order the fields were first named, and hides when all are good.
class ProblemNote final : public QLabel {
    Q_OBJECT

  public:
    explicit ProblemNote(QWidget* parent = nullptr);

    // Records `problem` for `field` (empty: the field is good again) and marks it.
    void Set(QWidget* field, const QString& problem);
    // Follows an address field: its reason, led by `name`, whenever its text changes.
    void Follow(IpAddressEdit* field, const QString& name);
    // True while no field has a problem.
    bool AllGood() const;

    // Marks `field` as holding a value that cannot be taken, or clears the mark (empty `problem`).
    static void Mark(QWidget& field, const QString& problem);

  signals:
    void Changed();

  private:
    void Show();

    std::vector<std::pair<QPointer<QWidget>, QString>> problems_;
};

}  // namespace velmar
