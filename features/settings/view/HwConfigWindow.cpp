#include "features/settings/view/HwConfigWindow.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "features/settings/view/HwConfigView.h"
#include "widgets/TitleFit.h"

namespace velmar {

HwConfigWindow::HwConfigWindow(const ConfigBlock& config, QWidget* parent)
    : QDialog(parent), view_(new HwConfigView(this)) {
    setWindowTitle(tr("HW configuration"));
    TitleFit::Install(*this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view_);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(tr("Close"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    view_->ShowWindowRows(config);
    resize(760, 520);
}

}  // namespace velmar
