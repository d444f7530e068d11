#include "features/channeltools/view/LabelTyping.h"

#include <QLineEdit>

#include "features/channeltools/core/LabelText.h"
#include "platform/qt/FrameText.h"

namespace velmar {

namespace {

const char* const kAcceptedProperty = "velmarAcceptedLabel";

QString ByteCount(const QString& text) {
    return QStringLiteral("%1 of %2 bytes").arg(LabelFromQString(text).size()).arg(kLabelBytes);
}

}  // namespace

QString LabelToQString(std::string_view bytes) {
    return FrameTextToQString(bytes);
}

std::string LabelFromQString(const QString& text) {
    return EncodeLabel(text.toStdString()).bytes;
}

void GuardLabelTyping(QLineEdit& field, std::function<void(const QString& message)> tell) {
    field.setProperty(kAcceptedProperty, field.text());
    // Text set by the program (a row's label) is the frame's own and starts the next edit.
    QObject::connect(&field, &QLineEdit::textChanged, &field, [&field](const QString& text) {
        if (!LabelProblem(text.toStdString()))
            field.setProperty(kAcceptedProperty, text);
    });
    QObject::connect(&field, &QLineEdit::textEdited, &field, [&field, tell](const QString& text) {
        if (const auto problem = LabelProblem(text.toStdString())) {
            const QString accepted = field.property(kAcceptedProperty).toString();
            const int cursor =
                std::max(0, field.cursorPosition() - static_cast<int>(text.size() - accepted.size()));
            field.setText(accepted);
            field.setCursorPosition(std::min(cursor, static_cast<int>(accepted.size())));
            tell(QString::fromStdString(*problem) + QStringLiteral(" Not taken."));
            return;
        }
        tell(ByteCount(text));
    });
}

}  // namespace velmar
