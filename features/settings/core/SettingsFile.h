#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/DeviceState.h"

namespace velmar {

// Why a settings file was not written or not loaded, as a sentence for the operator.
using SettingsFileProblem = std::optional<std::string>;

inline constexpr std::string_view kSettingsFileFilter = "Device settings (*.cfg)|*.cfg|All Files (*.*)|*.*";
// A written file is about 1.3 kB; anything far larger is not one.
inline constexpr std::size_t kSettingsFileLimit = 64 * 1024;
// Files with fewer value lines than this are refused, as they always were.
inline constexpr std::size_t kSettingsFileMinimumLines = 63;

// The file text for `config`: the header, the section comments and the 65 value lines, each line
// ended by CR LF; frame texts are written as UTF-8.
std::string SettingsFileText(const ConfigBlock& config);
// Writes through a temporary file beside `path`, so a failed write leaves an old file whole.
SettingsFileProblem SaveSettingsFile(const std::string& path, const ConfigBlock& config);

// What a load did besides taking the file's values, one sentence each for the operator.
using SettingsFileNotes = std::vector<std::string>;

// Reads the settings in `text` into `config`, each value by its key. Texts are UTF-8 and must go
// into the frame's 8-bit set and its field whole. Numbers outside the editor's ranges are refused
// unless `config` already holds them (a few are clamped as the format always did), as are unknown or
// repeated keys and files with too few value lines. An empty Dante section (written by a frame
// without the module) leaves `config`'s Dante settings as they are and says so in `notes`. On any
// refusal `config` is left exactly as it was.
SettingsFileProblem ReadSettingsText(std::string_view text, ConfigBlock& config,
                                     SettingsFileNotes* notes = nullptr);
// As above from a file, reading at most kSettingsFileLimit bytes.
SettingsFileProblem LoadSettingsFile(const std::string& path, ConfigBlock& config,
                                     SettingsFileNotes* notes = nullptr);

// The frame's own network identity (its address settings and those of its Dante interfaces):
// copies them from `frame` into `loaded` and returns the keys whose file values were kept back.
std::vector<std::string_view> KeepNetworkIdentity(ConfigBlock& loaded, const ConfigBlock& frame);

}  // namespace velmar
