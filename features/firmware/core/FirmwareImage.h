#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmar {

// A flash file read and checked whole, held in memory so that what is programmed is what was
// checked, even if the file changes on disk during the run.
//
// Every line that is not empty must be a record: it begins with "S", has no control byte and
// fits the programming request. A record is kept exactly as written; only the line end (CR, LF
// or CR LF) is taken off. Empty lines carry nothing and are skipped; they are neither sent nor
// counted, but they count for the line numbers a refusal names.
// The largest flash file taken: several times the frames' own images, and small enough to hold
// checked in memory.
inline constexpr std::size_t kLargestFirmwareImage = std::size_t{64} << 20;

struct FirmwareImage {
    std::string path;
    std::vector<std::string> records;

    // The file name without its folder.
    std::string Name() const;
};

struct FirmwareImageRead {
    std::optional<FirmwareImage> image;
    std::string problem;  // names the file and, where it lies in a line, the line
};

FirmwareImageRead ParseFirmwareImage(std::string_view path, std::string_view text);
FirmwareImageRead ReadFirmwareImage(const std::string& path);

}  // namespace velmar
