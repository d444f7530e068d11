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
// ended by CR LF.
std::string SettingsFileText(const ConfigBlock& config);
// Writes through a temporary file beside `path`, so a failed write leaves an old file whole.
SettingsFileProblem SaveSettingsFile(const std::string& path, const ConfigBlock& config);

// Reads the settings in `text` into `config`, each value by its key. Values outside their range are
// refused (a few are clamped as the format always did), as are unknown or repeated keys and files
// with too few value lines; a text longer than its field is cut to the field. On any refusal
// `config` is left exactly as it was.
SettingsFileProblem ReadSettingsText(std::string_view text, ConfigBlock& config);
// As above from a file, reading at most kSettingsFileLimit bytes.
SettingsFileProblem LoadSettingsFile(const std::string& path, ConfigBlock& config);

// The frame's own network identity (its address settings and those of its Dante interfaces):
// copies them from `frame` into `loaded` and returns the keys whose file values were kept back.
std::vector<std::string_view> KeepNetworkIdentity(ConfigBlock& loaded, const ConfigBlock& frame);

}  // namespace velmar
