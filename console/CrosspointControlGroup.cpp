#include "console/CrosspointControlGroup.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

namespace velmar {

CrosspointControlGroup::CrosspointControlGroup(QWidget* parent)
    : QGroupBox(QStringLiteral(" Crosspoint control based on type "), parent),
      inputType_(new QComboBox(this)),
      outputType_(new QComboBox(this)),
      inputs_(new QListWidget(this)),
      outputs_(new QListWidget(this)),
      mono_(new QRadioButton(QStringLiteral(" Mono"), this)),
      stereo_(new QRadioButton(QStringLiteral(" Stereo"), this)),
      connect_(new QPushButton(QStringLiteral("&Connect"), this)),
      disconnect_(new QPushButton(QStringLiteral("&Disconnect"), this)) {
    for (QListWidget* list : {inputs_, outputs_})
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (QPushButton* button : {connect_, disconnect_})
        button->setAutoDefault(false);
    mono_->setChecked(true);

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Type"), this), 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("Type"), this), 0, 2);
    layout->addWidget(inputType_, 1, 0);
    layout->addWidget(outputType_, 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("Input (s)"), this), 2, 0);
    layout->addWidget(new QLabel(QStringLiteral("Output (s)"), this), 2, 2);
    layout->addWidget(inputs_, 3, 0);
    auto* arrow = new QLabel(QStringLiteral("---->"), this);
    arrow->setAlignment(Qt::AlignCenter);
    layout->addWidget(arrow, 3, 1);
    layout->addWidget(outputs_, 3, 2);
    auto* choice = new QHBoxLayout;
    choice->addWidget(mono_);
    choice->addWidget(stereo_);
    choice->addStretch(1);
    layout->addLayout(choice, 4, 0, 1, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(connect_);
    buttons->addWidget(disconnect_);
    layout->addLayout(buttons, 5, 0, 1, 3);
    layout->setRowStretch(3, 1);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(2, 1);
}

void CrosspointControlGroup::SetControlsEnabled(bool enabled) {
    for (QWidget* control : std::initializer_list<QWidget*>{inputType_, outputType_, inputs_, outputs_, mono_,
                                                            stereo_, connect_, disconnect_}) {
        control->setEnabled(enabled);
    }
}

void CrosspointControlGroup::ClearSelections() {
    inputs_->clearSelection();
    outputs_->clearSelection();
}

}  // namespace velmar
