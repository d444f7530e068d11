#include "tools/core/LabelText.h"

#include "device/FrameText.h"
#include "protocol/WireText.h"

namespace velmar {

std::optional<std::string> LabelProblem(std::string_view utf8) {
    const std::optional<std::string> bytes = FrameTextFromUtf8(utf8);
    if (!bytes)
        return "A label may hold only characters of the frame's 8-bit character set.";
    return WireTextProblem(*bytes, kLabelBytes + 1, "A label");
}

}  // namespace velmar
