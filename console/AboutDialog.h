#pragma once

#include <QDialog>

namespace velmar {

// The About box: the program's name, version and purpose.
class AboutDialog final : public QDialog {
    Q_OBJECT

  public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace velmar
