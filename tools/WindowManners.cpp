#include "tools/WindowManners.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QSplitter>

#include "console/MainWindow.h"

namespace velmar {
namespace {

constexpr std::string_view kSection = "Window";

QByteArray Read(ProfileStore& profile, std::string_view key) {
    const std::optional<std::string> value = profile.Read(kSection, key);
    return value ? QByteArray::fromBase64(QByteArray::fromStdString(*value)) : QByteArray();
}

void Write(ProfileStore& profile, std::string_view key, const QByteArray& value) {
    profile.Write(kSection, key, value.toBase64().toStdString());
}

QSplitter* MainSplitter(MainWindow& window) {
    return window.findChild<QSplitter*>(QStringLiteral("MainSplitter"));
}

}  // namespace

WindowManners::WindowManners(MainWindow& window, ConsoleCore& core)
    : QObject(&window), window_(window), core_(core) {
    // Never more than the screen has room for, or the window could not be placed at all.
    const QScreen* screen = window_.screen() != nullptr ? window_.screen() : QGuiApplication::primaryScreen();
    const QSize minimum(kMinimumWidth, kMinimumHeight);
    window_.setMinimumSize(screen != nullptr ? minimum.boundedTo(screen->availableGeometry().size())
                                             : minimum);
    window_.installEventFilter(this);
    window_.DeviceListWidget().installEventFilter(this);
    deviceList_ = &window_.DeviceListWidget();
    Restore();
}

void WindowManners::Restore() {
    ProfileStore& profile = core_.Profile();
    if (!window_.restoreGeometry(Read(profile, "Geometry"))) {
        // The first start: the window's own size, but never larger than the screen it opens on.
        const QScreen* screen =
            window_.screen() != nullptr ? window_.screen() : QGuiApplication::primaryScreen();
        if (screen != nullptr) {
            const QSize room = screen->availableGeometry().size() * 9 / 10;
            window_.resize(window_.size().boundedTo(room).expandedTo(window_.minimumSize()));
        }
    }
    window_.restoreState(Read(profile, "State"));
    if (QSplitter* splitter = MainSplitter(window_))
        splitter->restoreState(Read(profile, "Splitter"));
}

void WindowManners::Save() {
    ProfileStore& profile = core_.Profile();
    Write(profile, "Geometry", window_.saveGeometry());
    Write(profile, "State", window_.saveState());
    if (QSplitter* splitter = MainSplitter(window_))
        Write(profile, "Splitter", splitter->saveState());
}

bool WindowManners::eventFilter(QObject* watched, QEvent* event) {
    // The window's children still send events while ~MainWindow runs, so nothing here may ask
    // the window anything before it knows the event is one of its two.
    if (event->type() == QEvent::Close && watched == &window_) {
        Save();
    } else if (event->type() == QEvent::KeyPress && watched == deviceList_) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            window_.SelectedDeviceRow() >= 0) {
            window_.ConnectRow(window_.SelectedDeviceRow());
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace velmar
