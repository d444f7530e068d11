#pragma once

#include <QDialog>

namespace velmar {

// The About box: the program's name, version and purpose.
class CAboutDlg final : public QDialog {
    Q_OBJECT

  public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace velmar
