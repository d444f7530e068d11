#pragma once

#include <QPointer>
#include <QWidget>

#include "device/ui/Prompter.h"

namespace velmar {

// Message boxes over a parent window. An empty caption shows the application's name.
class QtPrompter final : public Prompter {
  public:
    // Without a parent the dialogs sit over whichever window is active.
    explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}

    bool Question(std::string_view text, std::string_view caption) override;
    bool Confirm(std::string_view text, std::string_view proceed, std::string_view stay,
                 std::string_view caption) override;
    void Information(std::string_view text, std::string_view caption) override;
    void Warning(std::string_view text, std::string_view caption) override;

  private:
    QWidget* Parent() const;

    QPointer<QWidget> parent_;
};

}  // namespace velmar
