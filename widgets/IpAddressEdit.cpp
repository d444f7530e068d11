#include "widgets/IpAddressEdit.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace velmar {

IpAddressEdit::IpAddressEdit(QWidget* parent) : QLineEdit(parent) {
    const QString part = QStringLiteral("(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])");
    const QRegularExpression pattern(QStringLiteral("^%1(\\.%1){0,3}\\.?$").arg(part));
    setValidator(new QRegularExpressionValidator(pattern, this));
    setMaxLength(15);
    setPlaceholderText(QStringLiteral("0.0.0.0"));
}

std::optional<std::uint32_t> IpAddressEdit::Address() const {
    const QStringList parts = text().split(QLatin1Char('.'));
    if (parts.size() != 4)
        return std::nullopt;
    std::uint32_t address = 0;
    for (const QString& part : parts) {
        bool ok = false;
        const uint value = part.toUInt(&ok);
        if (!ok || value > 255)
            return std::nullopt;
        address = (address << 8) | value;
    }
    return address;
}

void IpAddressEdit::SetAddress(std::uint32_t address) {
    setText(QHostAddress(address).toString());
}

QString IpAddressEdit::UsableText() const {
    const auto address = Address();
    if (!address || *address == 0 || *address == 0xFFFFFFFFu)
        return {};
    return QHostAddress(*address).toString();
}

}  // namespace velmar
