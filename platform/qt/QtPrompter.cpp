#include "platform/qt/QtPrompter.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace velmar {

QWidget* QtPrompter::Parent() const {
    return parent_ ? parent_.data() : QApplication::activeWindow();
}

namespace {

QString Caption(std::string_view caption) {
    if (caption.empty())
        return QApplication::applicationName();
    return QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
}

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

bool QtPrompter::Question(std::string_view text, std::string_view caption) {
    return QMessageBox::question(Parent(), Caption(caption), Text(text), QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

bool QtPrompter::Confirm(std::string_view text, std::string_view proceed, std::string_view stay,
                         std::string_view caption) {
    QMessageBox box(QMessageBox::Question, Caption(caption), Text(text), QMessageBox::NoButton, Parent());
    QPushButton* go = box.addButton(Text(proceed), QMessageBox::AcceptRole);
    QPushButton* back = box.addButton(Text(stay), QMessageBox::RejectRole);
    box.setDefaultButton(back);
    box.setEscapeButton(back);
    box.exec();
    return box.clickedButton() == go;
}

void QtPrompter::Information(std::string_view text, std::string_view caption) {
    QMessageBox::information(Parent(), Caption(caption), Text(text));
}

void QtPrompter::Warning(std::string_view text, std::string_view caption) {
    QMessageBox::warning(Parent(), Caption(caption), Text(text));
}

}  // namespace velmar
