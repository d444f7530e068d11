#include "sim/FrameDescription.h"

#include <charconv>

namespace velmar::sim {

std::string_view ModelName(FrameModel model) {
    switch (model) {
        case FrameModel::K5A:
            return "K5A";
        case FrameModel::K5B:
            return "K5B";
        case FrameModel::K5E:
            return "K5E";
        case FrameModel::LV16:
            return "LV16";
        case FrameModel::LW16:
            return "LW16";
    }
    return "K5A";
}

std::string_view ModeName(FrameMode mode) {
    switch (mode) {
        case FrameMode::Recovery:
            return "recovery";
        case FrameMode::Application:
            return "application";
        case FrameMode::Mode2:
            return "mode2";
    }
    return "application";
}

std::string_view CardName(CardKind kind) {
    switch (kind) {
        case CardKind::None:
            return "-";
        case CardKind::Sdi:
            return "sdi";
        case CardKind::Ad:
            return "ad";
        case CardKind::Da:
            return "da";
        case CardKind::Aes:
            return "aes";
        case CardKind::Madi:
            return "madi";
    }
    return "-";
}

int ModelClass(FrameModel model) {
    switch (model) {
        case FrameModel::K5B:
        case FrameModel::LW16:
            return 1;
        case FrameModel::K5E:
            return 2;
        case FrameModel::K5A:
        case FrameModel::LV16:
            return 0;
    }
    return 0;
}

std::uint32_t VersionNumber(std::string_view version) {
    std::uint32_t parts[4] = {};
    const char* p = version.data();
    const char* end = version.data() + version.size();
    for (int i = 0; i < 4; ++i) {
        const auto result = std::from_chars(p, end, parts[i]);
        if (result.ec != std::errc{}) {
            if (i == 0)
                return 0;
            break;
        }
        p = result.ptr;
        if (p == end || *p != '.')
            break;
        ++p;
    }
    return ((parts[0] * 100 + parts[1]) * 100 + parts[2]) * 100 + parts[3];
}

int ChannelCount(const FrameDescription& description) {
    return ModelClass(description.model) == 0 && VersionNumber(description.version) > 2000000 ? 1536 : 1024;
}

}  // namespace velmar::sim
