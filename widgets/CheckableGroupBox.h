#pragma once

#include <QGroupBox>

class QRadioButton;

namespace velmar {

// A group box whose caption is a radio button: choosing the caption enables everything inside the
// box, choosing its paired radio (outside the box) disables it. Only the pair is exclusive; other
// buttons of the window keep their state.
//
//     auto* automatic = new QRadioButton("Obtain an IP address automatically");
//     auto* fixed = new CheckableGroupBox("Use the following IP address");
//     fixed->PairWith(automatic);
//     fixed->SetChecked(!dhcp);  // checks `automatic` when false
class CheckableGroupBox final : public QGroupBox {
    Q_OBJECT

  public:
    explicit CheckableGroupBox(const QString& title, QWidget* parent = nullptr);

    // Makes `other` the radio that stands for "not this box". Call once.
    void PairWith(QRadioButton* other);
    // Checks the caption (enabling the contents) or the paired radio (disabling them).
    void SetChecked(bool checked);
    bool IsChecked() const;
    QRadioButton* Caption() const { return caption_; }

  signals:
    void choiceChanged(bool checked);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void childEvent(QChildEvent* event) override;

  private:
    void EnableContents();
    void PlaceCaption();

    QRadioButton* caption_;
    QRadioButton* paired_ = nullptr;
};

}  // namespace velmar
