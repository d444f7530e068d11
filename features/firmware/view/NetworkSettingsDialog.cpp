#include "features/firmware/view/NetworkSettingsDialog.h"

#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/FrameText.h"
#include "widgets/ProblemNote.h"
#include "widgets/TitleFit.h"

namespace velmar {

namespace {

constexpr std::string_view kNetworkSettingsDialogCaption = "Network settings";

}  // namespace

NetworkSettingsDialog::NetworkSettingsDialog(const std::string& deviceName, const NetworkChoice& current,
                                             const std::string& mac, Prompter& prompter, QWidget* parent)
    : QDialog(parent), prompter_(prompter), choice_(current) {
    std::string caption = std::string(kNetworkSettingsDialogCaption) + " for device <" + deviceName + ">";
    if (!mac.empty())
        caption += " with MAC: " + mac;
    setWindowTitle(QString::fromStdString(caption));
    TitleFit::Install(*this);

    automatic_ = new QRadioButton(QStringLiteral("Obtain an IP address automatically"), this);
    fixed_ = new CheckableGroupBox(QStringLiteral("Use the following IP address"), this);
    address_ = new IpAddressEdit(fixed_);
    mask_ = new IpAddressEdit(fixed_);
    gateway_ = new IpAddressEdit(fixed_);
    // The frame's own texts, not numbers rebuilt from them: an address the frame does not have
    // (a row's frame that is not connected) shows as an empty field, never as 0.0.0.0.
    for (auto [field, text] : {std::pair{address_, &current.address}, std::pair{mask_, &current.mask},
                               std::pair{gateway_, &current.gateway}}) {
        field->setText(FrameTextToQString(*text));
    }
    auto* fields = new QFormLayout(fixed_);
    fields->addRow(QStringLiteral("IP address:"), address_);
    fields->addRow(QStringLiteral("Subnet mask:"), mask_);
    fields->addRow(QStringLiteral("Default gateway:"), gateway_);
    auto* note = new ProblemNote(fixed_);
    note->Follow(address_, QStringLiteral("IP address"));
    note->Follow(mask_, QStringLiteral("Subnet mask"));
    note->Follow(gateway_, QStringLiteral("Default gateway"));
    fields->addRow(note);
    fixed_->PairWith(automatic_);
    fixed_->SetChecked(!current.automatic);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &NetworkSettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &NetworkSettingsDialog::reject);
    // A fixed address that is not an address keeps OK refused until it is mended or not chosen.
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    const auto allowOk = [this, ok, note] { ok->setEnabled(automatic_->isChecked() || note->AllGood()); };
    connect(note, &ProblemNote::Changed, this, allowOk);
    connect(automatic_, &QRadioButton::toggled, this, allowOk);
    allowOk();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(automatic_);
    layout->addWidget(fixed_);
    layout->addWidget(buttons);
    setMinimumWidth(420);
}

NetworkChoice NetworkSettingsDialog::Entered() const {
    return {automatic_->isChecked(), address_->text().toStdString(), mask_->text().toStdString(),
            gateway_->text().toStdString()};
}

void NetworkSettingsDialog::accept() {
    const NetworkChoice entered = Entered();
    if (const auto problem = NetworkChoiceProblem(entered)) {
        prompter_.Warning(*problem, kNetworkSettingsDialogCaption);
        return;
    }
    choice_ = NormalisedChoice(entered);
    QDialog::accept();
}

}  // namespace velmar
