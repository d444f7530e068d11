#pragma once

#include <QGroupBox>
#include <QPushButton>
#include <QTreeWidget>

namespace velmar {

// " Crosspoint status (mono channels) ": the crosspoint list and the file buttons. The matrix
// behaviour attaches to these controls; this class only lays them out.
class CrosspointStatusGroup final : public QGroupBox {
    Q_OBJECT

  public:
    explicit CrosspointStatusGroup(QWidget* parent = nullptr);

    QTreeWidget* List() const { return list_; }
    QPushButton* LoadButton() const { return load_; }
    QPushButton* SaveButton() const { return save_; }
    void SetControlsEnabled(bool enabled);

  private:
    QTreeWidget* list_;
    QPushButton* load_;
    QPushButton* save_;
};

}  // namespace velmar
