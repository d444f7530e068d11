#pragma once

#include <QLabel>

#include "device/Session.h"

namespace velmar {

// Over the main window while the link to the frame is lost: which frame, since when (by the
// core's clock) and why, and that what the window shows is its last known state. It goes at the
// next connect and when the operator closes the link.
class LinkLostBanner final : public QLabel {
  public:
    explicit LinkLostBanner(Session& session, QWidget* parent = nullptr);

  private:
    void Show(const LinkLost& lost);

    Session& session_;
    Subscriptions subscriptions_;
};

}  // namespace velmar
