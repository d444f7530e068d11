#include "features/firmware/core/FirmwareImage.h"

#include <algorithm>

#include "device/files/FileReader.h"
#include "features/firmware/core/FirmwareUnit.h"
#include "protocol/TextLines.h"

namespace velmar {

namespace {

bool IsControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

std::string LineProblem(std::string_view line) {
    if (line.front() != 'S')
        return "the line is not a record (a record begins with \"S\")";
    if (line.size() > kMaxFirmwareRecord) {
        return "the record has " + std::to_string(line.size()) +
               " characters; a programming request carries " + std::to_string(kMaxFirmwareRecord) +
               " at most";
    }
    if (std::any_of(line.begin(), line.end(), IsControl))
        return "the record holds a control character";
    return {};
}

}  // namespace

std::string FirmwareImage::Name() const {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

FirmwareImageRead ParseFirmwareImage(std::string_view path, std::string_view text) {
    FirmwareImage image{std::string(path), {}};
    TextLines lines(text);
    while (const auto line = lines.Next()) {
        if (line->text.empty())
            continue;
        const std::string problem = LineProblem(line->text);
        if (!problem.empty())
            return {std::nullopt,
                    image.path + ", line " + std::to_string(line->number) + ": " + problem + "."};
        image.records.emplace_back(line->text);
    }
    if (!lines.NotText().empty())
        return {std::nullopt, image.path + ": " + lines.NotText() + "."};
    if (image.records.empty())
        return {std::nullopt, image.path + " holds no records."};
    return {std::move(image), {}};
}

FirmwareImageRead ReadFirmwareImage(const std::string& path) {
    const FileRead read = FileReader("firmware image", kLargestFirmwareImage).Read(path);
    if (!read.bytes)
        return {std::nullopt, read.problem};
    return ParseFirmwareImage(path, *read.bytes);
}

}  // namespace velmar
