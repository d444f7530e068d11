#include "widgets/CheckableGroupBox.h"

#include <QButtonGroup>
#include <QChildEvent>
#include <QRadioButton>
#include <QStyleOptionGroupBox>

namespace velmar {

CheckableGroupBox::CheckableGroupBox(const QString& title, QWidget* parent)
    : QGroupBox(title, parent), caption_(new QRadioButton(title, this)) {
    // The radio sits over the box's own title, which keeps the frame's gap and the layout's margins.
    caption_->setAutoFillBackground(true);
    connect(caption_, &QRadioButton::toggled, this, [this](bool checked) {
        EnableContents();
        emit choiceChanged(checked);
    });
    PlaceCaption();
    EnableContents();
}

void CheckableGroupBox::PairWith(QRadioButton* other) {
    paired_ = other;
    // An exclusive group of exactly these two: the caption unchecks the pair and nothing else.
    auto* pair = new QButtonGroup(this);
    pair->addButton(other);
    pair->addButton(caption_);
}

void CheckableGroupBox::SetChecked(bool checked) {
    if (checked)
        caption_->setChecked(true);
    else if (paired_ != nullptr)
        paired_->setChecked(true);
    else
        caption_->setChecked(false);
    EnableContents();
}

bool CheckableGroupBox::IsChecked() const {
    return caption_->isChecked();
}

void CheckableGroupBox::EnableContents() {
    const bool checked = caption_->isChecked();
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child != caption_)
            child->setEnabled(checked);
    }
}

void CheckableGroupBox::PlaceCaption() {
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    const QRect label = style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, this);
    const QSize size = caption_->sizeHint();
    caption_->setGeometry(label.left(), label.center().y() - size.height() / 2, size.width(), size.height());
    caption_->raise();
}

void CheckableGroupBox::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    PlaceCaption();
}

void CheckableGroupBox::childEvent(QChildEvent* event) {
    QGroupBox::childEvent(event);
    // Fields added after the choice was made follow it too.
    if (event->type() == QEvent::ChildPolished && caption_ != nullptr)
        EnableContents();
}

}  // namespace velmar
