#pragma once

#include <QPointer>
#include <QWidget>

#include "device/ui/FilePicker.h"

namespace velmar {

// The platform's file dialogs over a parent window.
class QtFilePicker final : public FilePicker {
  public:
    explicit QtFilePicker(QWidget* parent) : parent_(parent) {}

    std::string OpenFile(const FileRequest& request) override;
    std::vector<std::string> OpenFiles(const FileRequest& request) override;
    std::string SaveFile(const FileRequest& request) override;

  private:
    QPointer<QWidget> parent_;
};

}  // namespace velmar
