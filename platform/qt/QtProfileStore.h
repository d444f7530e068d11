#pragma once

#include <QSettings>
#include <QString>
#include <memory>

#include "device/discovery/ProfileStore.h"

namespace velmar {

// The application profile in QSettings: where the platform keeps per-user settings, or in a
// given INI file.
class QtProfileStore final : public ProfileStore {
  public:
    QtProfileStore();
    explicit QtProfileStore(const QString& iniFile);

    std::optional<std::string> Read(std::string_view section, std::string_view key) const override;
    bool Write(std::string_view section, std::string_view key, std::string_view value) override;

  private:
    std::unique_ptr<QSettings> settings_;
};

}  // namespace velmar
