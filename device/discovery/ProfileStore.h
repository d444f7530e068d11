#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmar {

// The per-user application profile: sections of named text values. The console keeps it where
// the platform keeps per-user settings; tests use a map.
class ProfileStore {
  public:
    virtual ~ProfileStore() = default;
    // Nothing when the key is absent.
    virtual std::optional<std::string> Read(std::string_view section, std::string_view key) const = 0;
    // False when the value could not be stored.
    virtual bool Write(std::string_view section, std::string_view key, std::string_view value) = 0;
};

}  // namespace velmar
