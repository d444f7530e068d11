#pragma once

#include <QLineEdit>
#include <cstdint>
#include <optional>

namespace velmar {

// A field for one dotted IPv4 address: only digits and dots go in, four parts of 0..255.
class IpAddressEdit final : public QLineEdit {
    Q_OBJECT

  public:
    explicit IpAddressEdit(QWidget* parent = nullptr);

    // The address in host order, or nothing while the text is not a complete address.
    std::optional<std::uint32_t> Address() const;
    void SetAddress(std::uint32_t address);
    // The dotted text of the address; empty for 0.0.0.0, 255.255.255.255 or an incomplete text.
    QString UsableText() const;
};

}  // namespace velmar
