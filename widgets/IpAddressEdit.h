#pragma once

#include <QLineEdit>
#include <cstdint>
#include <optional>

namespace velmar {

// A field for one dotted IPv4 address. Every key typed stays in the field: a text that is not an
// address ("192.168.1.300") is marked with its reason rather than cut back to one that is
// ("192.168.1.30"), and reads as no address at all.
class IpAddressEdit final : public QLineEdit {
    Q_OBJECT

  public:
    explicit IpAddressEdit(QWidget* parent = nullptr);

    // The address in host order, or nothing while the text is not a complete address.
    std::optional<std::uint32_t> Address() const;
    void SetAddress(std::uint32_t address);
    // The dotted text of the address; empty for 0.0.0.0, 255.255.255.255 or a text that is not one.
    QString UsableText() const;
    // Why the text is not an address; empty for an address or an empty field.
    QString Problem() const { return problem_; }

  signals:
    void ProblemChanged(const QString& problem);

  private:
    void Check();

    QString problem_;
};

}  // namespace velmar
