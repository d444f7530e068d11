#pragma once

#include <QColor>

namespace velmar {

// How the tool lists mark a row or cell that needs attention (a tripped detector, an input in
// error). Colour is never the only sign: the marked cells say it in words too.
inline QColor AlarmBackground() {
    return {0xff, 0xd8, 0xd8};
}
inline QColor AlarmText() {
    return {0xb0, 0x00, 0x00};
}

}  // namespace velmar
