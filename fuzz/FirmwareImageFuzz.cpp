// Reads arbitrary bytes as a flash file, as the firmware window and velmar-cli flash do. What is
// accepted holds only records that fit a programming request, and reads back the same once
// written out; a refusal names the file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "features/firmware/core/FirmwareImage.h"
#include "features/firmware/core/FirmwareUnit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const velmar::FirmwareImageRead read = velmar::ParseFirmwareImage("fuzz.flash", bytes);
    if (!read.image) {
        if (!read.problem.starts_with("fuzz.flash"))
            __builtin_trap();
        return 0;
    }
    std::string written;
    for (const std::string& record : read.image->records) {
        if (record.empty() || record.front() != 'S' || record.size() > velmar::kMaxFirmwareRecord ||
            std::any_of(record.begin(), record.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }))
            __builtin_trap();
        written += record + "\r\n";
    }
    const velmar::FirmwareImageRead again = velmar::ParseFirmwareImage("fuzz.flash", written);
    if (!again.image || again.image->records != read.image->records)
        __builtin_trap();
    return 0;
}
