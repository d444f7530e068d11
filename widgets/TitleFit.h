#pragma once

#include <QObject>

class QWidget;

namespace velmar {

// Keeps a window at least as wide as its title needs beside the title bar's icon and buttons, so
// the window manager never cuts it ("Add de…tion list"); never wider than the screen. Follows every
// later change of the title.
class TitleFit final : public QObject {
  public:
    // Owned by `window`.
    static void Install(QWidget& window);
    // The width `window` needs for its current title.
    static int NeededWidth(const QWidget& window);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    explicit TitleFit(QWidget& window);
    void Fit();

    QWidget& window_;
};

}  // namespace velmar
