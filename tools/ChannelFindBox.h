#pragma once

#include <QLineEdit>
#include <cstdint>
#include <functional>
#include <vector>

class QAbstractItemView;
class QHBoxLayout;
class QLabel;

namespace velmar {

struct DeviceState;

// The find box of a channel list. Typing makes current the first row, from the current one on,
// whose channel's name or number or either of its labels holds the text (the routing views'
// rule); Enter and F3 go on to the next such row, Shift+Enter and Shift+F3 back, round the ends.
// The list is only read, never filtered or rebuilt, so every selection and action of the window
// keeps working and 1536 rows answer each key at once. Enter never reaches the window's buttons.
class ChannelFindBox final : public QLineEdit {
  public:
    using ChannelAt = std::function<std::int32_t(int row)>;

    // F3, Shift+F3 and Ctrl+F (to the box) work anywhere in `window`.
    ChannelFindBox(QAbstractItemView& view, ChannelAt channelAt, const DeviceState& state, QWidget& window);

    void FindNext();
    void FindPrevious();
    // "Find:", the box and how many rows match, for the window's layout.
    QHBoxLayout* NewRow();
    // "2 of 5", "no match" or empty.
    QLabel* Hits() const { return hits_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    std::vector<int> Matches() const;
    // Makes current the matching row `step` rows on from the current one (0: the current row if it
    // matches, else the next).
    void Go(int step);

    QAbstractItemView& view_;
    ChannelAt channelAt_;
    const DeviceState& state_;
    QLabel* hits_;
};

}  // namespace velmar
