#include "widgets/IpAddressEdit.h"

#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include "protocol/Ipv4Address.h"

namespace velmar {

IpAddressEdit::IpAddressEdit(QWidget* parent) : QLineEdit(parent) {
    const QString part = QStringLiteral("(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])");
    const QRegularExpression pattern(QStringLiteral("^%1(\\.%1){0,3}\\.?$").arg(part));
    setValidator(new QRegularExpressionValidator(pattern, this));
    setMaxLength(15);
    setPlaceholderText(QStringLiteral("0.0.0.0"));
}

std::optional<std::uint32_t> IpAddressEdit::Address() const {
    return ParseIpv4(text().toStdString());
}

void IpAddressEdit::SetAddress(std::uint32_t address) {
    setText(QString::fromStdString(Ipv4Text(address)));
}

QString IpAddressEdit::UsableText() const {
    const auto address = Address();
    if (!address || *address == 0 || *address == 0xFFFFFFFFu)
        return {};
    return QString::fromStdString(Ipv4Text(*address));
}

}  // namespace velmar
