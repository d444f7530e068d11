#pragma once

#include <QLineEdit>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "device/DeviceState.h"
#include "protocol/WireText.h"
#include "settings/FrameText.h"

namespace velmar {

// Takes a whole number from an edit box into `field`. Out of range (or not a number): the field keeps
// its value, the box shows it again, and the reason names the box.
inline std::optional<std::string> TakeNumber(QLineEdit& box, std::string_view label, int min, int max,
                                             std::int32_t& field) {
    bool ok = false;
    const int value = box.text().trimmed().toInt(&ok);
    if (ok && value >= min && value <= max) {
        field = value;
        return std::nullopt;
    }
    box.setText(QString::number(field));
    return std::string(label) + ": please enter an integer between " + std::to_string(min) + " and " +
           std::to_string(max) + ".";
}

// Takes a text the frame's line can carry into `field`; a refused text leaves the field as it was.
template <std::size_t N>
std::optional<std::string> TakeText(QLineEdit& box, std::string_view what, TextField<N>& field) {
    const std::string text = ToFrameText(box.text());
    if (auto problem = WireTextProblem(text, N, what)) {
        box.setText(FromFrameText(field.View()));
        return problem;
    }
    field.Assign(text);
    return std::nullopt;
}

}  // namespace velmar
