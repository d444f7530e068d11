#include "widgets/IpAddressEdit.h"

#include "protocol/Ipv4Address.h"
#include "widgets/ProblemNote.h"

namespace velmar {

IpAddressEdit::IpAddressEdit(QWidget* parent) : QLineEdit(parent) {
    setPlaceholderText(QStringLiteral("0.0.0.0"));
    connect(this, &QLineEdit::textChanged, this, &IpAddressEdit::Check);
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

void IpAddressEdit::Check() {
    const QString current = text();
    const QString problem =
        current.isEmpty() ? QString() : QString::fromStdString(ReadIpv4(current.toStdString()).problem);
    ProblemNote::Mark(*this, problem);
    if (problem == problem_)
        return;
    problem_ = problem;
    emit ProblemChanged(problem_);
}

}  // namespace velmar
