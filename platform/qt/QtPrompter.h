#pragma once

#include <QPointer>
#include <QWidget>

#include "device/ui/Prompter.h"

namespace velmar {

// Message boxes over a parent window. An empty caption shows the application's name.
class QtPrompter final : public Prompter {
  public:
    explicit QtPrompter(QWidget* parent) : parent_(parent) {}

    bool Question(std::string_view text, std::string_view caption) override;
    void Information(std::string_view text, std::string_view caption) override;
    void Warning(std::string_view text, std::string_view caption) override;

  private:
    QPointer<QWidget> parent_;
};

}  // namespace velmar
