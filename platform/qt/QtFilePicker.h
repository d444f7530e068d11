#pragma once

#include <QPointer>
#include <QWidget>

#include "device/discovery/ProfileStore.h"
#include "device/ui/FilePicker.h"

namespace velmar {

// The platform's file dialogs over a parent window.
class QtFilePicker final : public FilePicker {
  public:
    // Without a parent the dialogs sit over whichever window is active.
    explicit QtFilePicker(QWidget* parent = nullptr) : parent_(parent) {}

    std::string OpenFile(const FileRequest& request) override;
    std::vector<std::string> OpenFiles(const FileRequest& request) override;
    std::string SaveFile(const FileRequest& request) override;

    // Dialogs start in the folder of the last file chosen, kept in the profile across runs.
    void SetProfile(ProfileStore* profile) { profile_ = profile; }
    QString StartFolder() const;

  private:
    QWidget* Parent() const;
    void Remember(const QString& chosen);
    ProfileStore* profile_ = nullptr;

    QPointer<QWidget> parent_;
};

}  // namespace velmar
