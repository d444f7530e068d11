#pragma once

#include <QDialog>
#include <optional>

#include "device/EventHub.h"
#include "features/routing/view/RoutingContext.h"

class QLineEdit;
class QPushButton;

namespace velmar {

// The X-Y service window: set or interrogate one crosspoint by number, or sweep a range of
// outputs with the crosspoint stepper. It shows the frame's answers while it is open.
class XyControlWindow final : public QDialog {
  public:
    XyControlWindow(RoutingContext context, QWidget* parent);
    ~XyControlWindow() override;

    void ShowCrosspoint(std::int32_t output, std::int32_t input);

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
    // Reads both fields; a field that is not a number in its range brings its message and
    // nothing, so a typo never reaches the frame.
    std::optional<Fields> ReadFields();

    RoutingContext context_;
    QLineEdit* input_;
    QLineEdit* output_;
    QLineEdit* responseOutput_;
    QLineEdit* responseInput_;
    Subscriptions subscriptions_;
};

}  // namespace velmar
