#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace velmar {

// Frame texts are 8-bit. The one place the settings editor converts them, until the console has a
// shared decoding.
inline QString FromFrameText(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string ToFrameText(const QString& text) {
    return text.toLatin1().toStdString();
}

}  // namespace velmar
