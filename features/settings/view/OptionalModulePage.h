#pragma once

#include <array>

#include "features/settings/view/SettingsPage.h"

class QGroupBox;
class QLabel;

namespace velmar {

class ValueList;

// " Optional module ": the SFP module's two ports (MADI or Hotlink) and their redundancy.
class OptionalModulePage final : public SettingsPage {
  public:
    explicit OptionalModulePage(QWidget* parent = nullptr);
    void SetHardware(bool present, bool newFirmware);
    void Load(const ConfigBlock& config) override;
    std::optional<std::string> Store(ConfigBlock& config) override;

  private:
    struct Port {
        QGroupBox* box = nullptr;
        ValueList* type = nullptr;
        QLabel* inputLabel = nullptr;
        ValueList* input = nullptr;
        std::array<ValueList*, 4> madi{};  // frame rate, channel status, channel count, DSD mode
    };
    // The values the page shows, kept between loads so a port can be shown again as it was.
    struct Shown {
        std::int32_t redundancyEnable = 0, redundancyMode = 0;
        std::array<std::int32_t, 2> type{}, hotlinkIn{};
        std::array<std::array<std::int32_t, 5>, 2> madi{};  // input, frame rate, status, count, DSD
    };

    Port MakePort(const char* title);
    void ShowPort(std::size_t port, bool fromShown);
    void FollowRedundancy();
    void StorePort(std::size_t port, ConfigBlock& config) const;

    bool present_ = false;
    bool newFirmware_ = false;
    ValueList* redundancy_;
    ValueList* redundancyMode_;
    std::array<Port, 2> ports_;
    Shown shown_;
};

}  // namespace velmar
