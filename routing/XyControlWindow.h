#pragma once

#include <QDialog>
#include <optional>

#include "routing/RoutingContext.h"
#include "device/ViewRegistry.h"

class QLineEdit;
class QPushButton;

namespace velmar {

// The X-Y service window: set or interrogate one crosspoint by number, or sweep a range of
// outputs with the crosspoint stepper. It hears gcross replies while it is open.
class XyControlWindow final : public QDialog, public XyControlView {
  public:
    XyControlWindow(RoutingContext context, QWidget* parent);
    ~XyControlWindow() override;

    void ShowCrosspoint(std::int32_t output, std::int32_t input) override;
    void RefreshControls() override {}

    void ConnectCrosspoint();
    void InterrogateOutput();
    void Burst();

    QLineEdit* InputField() const { return input_; }
    QLineEdit* OutputField() const { return output_; }
    QLineEdit* ResponseOutputField() const { return responseOutput_; }
    QLineEdit* ResponseInputField() const { return responseInput_; }

  protected:
    void done(int result) override;

  private:
    struct Fields {
        std::int32_t input = 0;
        std::int32_t output = 0;
    };
    // Reads both fields; a field out of its range brings the range message and is used as read.
    std::optional<Fields> ReadFields();

    RoutingContext context_;
    ScopedView<XyControlView> registration_;
    QLineEdit* input_;
    QLineEdit* output_;
    QLineEdit* responseOutput_;
    QLineEdit* responseInput_;
};

}  // namespace velmar
