#pragma once

#include <QString>
#include <string_view>

namespace velmar {

// A frame's 8-bit text for a widget. Kept in this one place until the console has one shared
// decoding for frame texts; then this goes.
inline QString FrameTextToQString(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace velmar
