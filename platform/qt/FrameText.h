#pragma once

#include <QString>
#include <string_view>

#include "protocol/TextEncoding.h"

namespace velmar {

// A frame's 8-bit text for a widget, by the one rule of protocol/TextEncoding.h.
inline QString FrameTextToQString(std::string_view bytes) {
    return QString::fromStdString(DecodeFrameText(bytes));
}

// The frame's bytes for what the operator typed, or the message to show instead of sending it.
inline FrameTextEncoding FrameTextFromQString(const QString& text) {
    return EncodeFrameText(text.toStdString());
}

}  // namespace velmar
