#include "app/Application.h"

#include <QPainter>
#include <QPixmap>
#include <string_view>
#include <vector>

#include "console/FeatureViews.h"
#include "console/MainWindow.h"
#include "tools/InstallTools.h"

namespace velmar {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Velmar"));
    setOrganizationName(QStringLiteral("Velmar"));
    setApplicationVersion(QStringLiteral(VELMAR_VERSION));
    setWindowIcon(AppIcon());
    // Qt has taken its own options out of argv by now; what is left is the program's own.
    std::vector<std::string_view> words;
    for (int i = 1; i < argc; ++i)
        words.emplace_back(argv[i]);
    arguments_ = ParseConsoleArguments(words);
}

int Application::Run() {
    // The core is built first and goes last: every window, modeless ones included, is gone
    // before the session and its timers are.
    ConsoleCore core(arguments_.options);
    {
        MainWindow window(core);
        InstallFeatureViews(window, core);
        InstallWindowManners(window, core);
        window.show();
        if (!arguments_.connect.empty())
            window.ConnectAddress(arguments_.connect);
        exec();
    }
    return 0;
}

QIcon Application::AppIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal unit = size / 16.0;
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(40, 44, 52));
        painter.drawRoundedRect(QRectF(0.5 * unit, 1.5 * unit, 15 * unit, 13 * unit), 2 * unit, 2 * unit);
        for (int slot = 0; slot < 3; ++slot) {
            const qreal top = (3 + slot * 4) * unit;
            painter.setBrush(QColor(90, 96, 108));
            painter.drawRect(QRectF(2 * unit, top, 9 * unit, 2.5 * unit));
            painter.setBrush(slot == 0 ? QColor(0, 220, 0) : QColor(0, 150, 255));
            painter.drawEllipse(QRectF(12 * unit, top + 0.25 * unit, 2 * unit, 2 * unit));
        }
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace velmar
