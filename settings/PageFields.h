#pragma once

#include <QLineEdit>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "device/DeviceState.h"
#include "platform/qt/FrameText.h"
#include "protocol/WireText.h"
#include "settings/core/SettingRanges.h"

namespace velmar {

// Takes a whole number from an edit box into `field`. Out of range (or not a number): the field keeps
// its value, the box shows it again, and the reason names the box.
inline std::optional<std::string> TakeNumber(QLineEdit& box, std::string_view label,
                                             const SettingRange& range, std::int32_t& field) {
    bool ok = false;
    const int value = box.text().trimmed().toInt(&ok);
    if (ok && range.Allows(value)) {
        field = value;
        return std::nullopt;
    }
    box.setText(QString::number(field));
    return std::string(label) + ": please enter an integer between " + std::to_string(range.min) + " and " +
           std::to_string(range.max) + ".";
}

// Takes a text the frame's line can carry into `field`; a refused text leaves the field as it was.
template <std::size_t N>
std::optional<std::string> TakeText(QLineEdit& box, std::string_view what, TextField<N>& field) {
    const FrameTextEncoding encoded = FrameTextFromQString(box.text());
    std::optional<std::string> problem =
        encoded.Ok() ? WireTextProblem(encoded.bytes, N, what) : std::optional<std::string>(encoded.error);
    if (problem) {
        box.setText(FrameTextToQString(field.View()));
        return problem;
    }
    field.Assign(encoded.bytes);
    return std::nullopt;
}

}  // namespace velmar
