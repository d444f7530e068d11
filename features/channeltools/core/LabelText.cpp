#include "features/channeltools/core/LabelText.h"

#include "protocol/WireText.h"

namespace velmar {

FrameTextEncoding EncodeLabel(std::string_view utf8) {
    FrameTextEncoding encoded = EncodeFrameText(utf8);
    if (!encoded.Ok()) {
        encoded.error =
            "A label may hold only characters of the frame's 8-bit character set: " + encoded.error + ".";
        return encoded;
    }
    if (auto problem = WireTextProblem(encoded.bytes, kLabelBytes + 1, "A label")) {
        encoded.bytes.clear();
        encoded.error = std::move(*problem);
    }
    return encoded;
}

std::optional<std::string> LabelProblem(std::string_view utf8) {
    FrameTextEncoding encoded = EncodeLabel(utf8);
    if (encoded.Ok())
        return std::nullopt;
    return std::move(encoded.error);
}

}  // namespace velmar
