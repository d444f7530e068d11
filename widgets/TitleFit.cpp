#include "widgets/TitleFit.h"

#include <QEvent>
#include <QFontMetrics>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <algorithm>

namespace velmar {

TitleFit::TitleFit(QWidget& window) : QObject(&window), window_(window) {
    window.installEventFilter(this);
}

void TitleFit::Install(QWidget& window) {
    auto* fit = new TitleFit(window);
    fit->Fit();
}

int TitleFit::NeededWidth(const QWidget& window) {
    // Title bars commonly draw in bold; the window's own font, bold, errs on the wide side.
    QFont font = window.font();
    font.setBold(true);
    const int text = QFontMetrics(font).horizontalAdvance(window.windowTitle());
    // The icon and the three buttons, each about a title bar's height wide, and the margins.
    const int bar = window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    return text + 4 * std::max(bar, 20) + 24;
}

void TitleFit::Fit() {
    int needed = std::max(NeededWidth(window_), window_.minimumSizeHint().width());
    if (const QScreen* screen = window_.screen())
        needed = std::min(needed, screen->availableGeometry().width());
    window_.setMinimumWidth(needed);
    if (window_.width() < needed)
        window_.resize(needed, window_.height());
}

bool TitleFit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && (event->type() == QEvent::WindowTitleChange || event->type() == QEvent::Show))
        Fit();
    return QObject::eventFilter(watched, event);
}

}  // namespace velmar
