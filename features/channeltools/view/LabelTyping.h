#pragma once

#include <QString>
#include <functional>
#include <string>
#include <string_view>

class QLineEdit;

namespace velmar {

// A frame's label bytes for a widget, and back; the one place the label windows convert.
QString LabelToQString(std::string_view bytes);
std::string LabelFromQString(const QString& text);

// Checks a label field as the operator types: an edit that makes the text something the frame
// cannot carry (a comma, a quote, a start character, a control byte, more than 16 bytes) is
// undone at once, and `tell` gets the reason; an accepted edit gets the byte count instead.
void GuardLabelTyping(QLineEdit& field, std::function<void(const QString& message)> tell);

}  // namespace velmar
