#pragma once

#include <QDialog>
#include <cstdint>
#include <optional>
#include <string>

class QCheckBox;
class QLineEdit;

namespace velmar {

class IpAddressEdit;
class Prompter;

struct PpmStreamSettings {
    std::uint32_t id = 1;
    std::uint32_t address = 0;  // host order
    std::int32_t port = 10100;
    std::int32_t channels = 64;
    std::int32_t rate = 50;
    bool phase = false;
};

// The values of a new PPM stream. "OK" closes only when every field is in its range.
class PpmSettingsDialog final : public QDialog {
  public:
    PpmSettingsDialog(const PpmStreamSettings& defaults, Prompter& prompter, QWidget* parent);

    // What OK accepted.
    const PpmStreamSettings& Values() const { return values_; }

    QLineEdit* IdField() const { return id_; }
    IpAddressEdit* AddressField() const { return address_; }
    QLineEdit* PortField() const { return port_; }
    QLineEdit* ChannelsField() const { return channels_; }
    QLineEdit* RateField() const { return rate_; }
    QCheckBox* PhaseBox() const { return phase_; }

    void accept() override;

  private:
    std::optional<PpmStreamSettings> ReadFields();

    Prompter& prompter_;
    PpmStreamSettings values_;
    QLineEdit* id_;
    IpAddressEdit* address_;
    QLineEdit* port_;
    QLineEdit* channels_;
    QLineEdit* rate_;
    QCheckBox* phase_;
};

}  // namespace velmar
