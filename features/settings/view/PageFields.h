#pragma once

#include <QLineEdit>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "device/DeviceState.h"
#include "features/settings/core/SettingRanges.h"
#include "platform/qt/FrameText.h"
#include "protocol/WireText.h"
#include "widgets/ProblemNote.h"

namespace velmar {

// The first change the operator makes to a marked box takes its mark and reason away; the next
// store judges the box again.
inline void ClearMarkWhenEdited(QLineEdit& box, ProblemNote& note) {
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = QObject::connect(&box, &QLineEdit::textEdited, &note, [&box, &note, connection] {
        note.Set(&box, {});
        QObject::disconnect(*connection);
    });
}

// Takes a whole number from an edit box into `field`. Out of range (or not a number): the field keeps
// its value, the box keeps what was typed and is marked, and `note` gives the reason, which names the
// box. Mending the box clears the mark.
inline std::optional<std::string> TakeNumber(QLineEdit& box, std::string_view label,
                                             const SettingRange& range, std::int32_t& field,
                                             ProblemNote& note) {
    bool ok = false;
    const int value = box.text().trimmed().toInt(&ok);
    if (ok && range.Allows(value)) {
        field = value;
        note.Set(&box, {});
        return std::nullopt;
    }
    std::string problem = std::string(label) + ": please enter an integer between " +
                          std::to_string(range.min) + " and " + std::to_string(range.max) + ".";
    note.Set(&box, QString::fromStdString(problem));
    ClearMarkWhenEdited(box, note);
    return problem;
}

// Takes a text the frame's line can carry into `field`; a refused text leaves the field as it was
// and stays in the box, marked, with the reason in `note`.
template <std::size_t N>
std::optional<std::string> TakeText(QLineEdit& box, std::string_view what, TextField<N>& field,
                                    ProblemNote& note) {
    const FrameTextEncoding encoded = FrameTextFromQString(box.text());
    std::optional<std::string> problem =
        encoded.Ok() ? WireTextProblem(encoded.bytes, N, what) : std::optional<std::string>(encoded.error);
    if (problem) {
        note.Set(&box, QString::fromStdString(*problem));
        ClearMarkWhenEdited(box, note);
        return problem;
    }
    note.Set(&box, {});
    field.Assign(encoded.bytes);
    return std::nullopt;
}

}  // namespace velmar
