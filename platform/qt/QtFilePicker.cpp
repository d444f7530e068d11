#include "platform/qt/QtFilePicker.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

namespace velmar {

QWidget* QtFilePicker::Parent() const {
    return parent_ ? parent_.data() : QApplication::activeWindow();
}

namespace {

QString FromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "Crosspoint status (*.xpt)|*.xpt|All Files (*.*)|*.*" to Qt's "Crosspoint status (*.xpt);;All
// Files (*)": Qt takes the patterns from the description, and *.* would miss names without a dot.
QString QtFilter(std::string_view filter) {
    const QStringList parts = FromView(filter).split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '))
            .replace(QStringLiteral("*.*"), QStringLiteral("*"));
        const QString description = parts[i].section(QLatin1Char('('), 0, 0).trimmed();
        entries << QStringLiteral("%1 (%2)").arg(description, patterns);
    }
    return entries.join(QStringLiteral(";;"));
}

}  // namespace

QString QtFilePicker::StartFolder() const {
    const std::optional<std::string> folder = profile_ ? profile_->Read("Files", "LastFolder") : std::nullopt;
    return folder && QFileInfo(QString::fromStdString(*folder)).isDir() ? QString::fromStdString(*folder)
                                                                        : QDir::homePath();
}

void QtFilePicker::Remember(const QString& chosen) {
    if (profile_ != nullptr && !chosen.isEmpty())
        profile_->Write("Files", "LastFolder", QFileInfo(chosen).absolutePath().toStdString());
}

std::string QtFilePicker::OpenFile(const FileRequest& request) {
    const QString chosen = QFileDialog::getOpenFileName(Parent(), FromView(request.title), StartFolder(),
                                                        QtFilter(request.filter));
    Remember(chosen);
    return chosen.toStdString();
}

std::vector<std::string> QtFilePicker::OpenFiles(const FileRequest& request) {
    std::vector<std::string> result;
    for (const QString& name : QFileDialog::getOpenFileNames(Parent(), FromView(request.title), StartFolder(),
                                                             QtFilter(request.filter))) {
        Remember(name);
        result.push_back(name.toStdString());
    }
    return result;
}

std::string QtFilePicker::SaveFile(const FileRequest& request) {
    QFileDialog dialog(Parent(), FromView(request.title), StartFolder(), QtFilter(request.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(FromView(request.defaultExtension));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    Remember(dialog.selectedFiles().front());
    return dialog.selectedFiles().front().toStdString();
}

}  // namespace velmar
