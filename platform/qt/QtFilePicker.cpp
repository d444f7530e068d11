#include "platform/qt/QtFilePicker.h"

#include <QApplication>
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

std::string QtFilePicker::OpenFile(const FileRequest& request) {
    return QFileDialog::getOpenFileName(Parent(), FromView(request.title), {}, QtFilter(request.filter))
        .toStdString();
}

std::vector<std::string> QtFilePicker::OpenFiles(const FileRequest& request) {
    std::vector<std::string> result;
    for (const QString& name :
         QFileDialog::getOpenFileNames(Parent(), FromView(request.title), {}, QtFilter(request.filter))) {
        result.push_back(name.toStdString());
    }
    return result;
}

std::string QtFilePicker::SaveFile(const FileRequest& request) {
    QFileDialog dialog(Parent(), FromView(request.title), {}, QtFilter(request.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(FromView(request.defaultExtension));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front().toStdString();
}

}  // namespace velmar
