#pragma once

#include <QComboBox>
#include <initializer_list>
#include <optional>
#include <utility>

namespace velmar {

// A drop-down list whose entries stand for numbers. Selecting a value that no entry carries
// shows no selection; a list without selection has no value, so storing it keeps what was stored.
class ValueList final : public QComboBox {
  public:
    using Entries = std::initializer_list<std::pair<const char*, int>>;

    explicit ValueList(Entries entries = {}, QWidget* parent = nullptr);
    void SetEntries(Entries entries);
    void Select(int value);
    std::optional<int> Value() const;
};

}  // namespace velmar
