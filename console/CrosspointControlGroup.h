#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace velmar {

// " Crosspoint control based on type ": type selectors and channel lists for inputs and
// outputs, mono or stereo, connect and disconnect. The matrix behaviour attaches to these
// controls; this class only lays them out and switches them on and off together.
class CrosspointControlGroup final : public QGroupBox {
    Q_OBJECT

  public:
    explicit CrosspointControlGroup(QWidget* parent = nullptr);

    QComboBox* InputType() const { return inputType_; }
    QComboBox* OutputType() const { return outputType_; }
    QListWidget* Inputs() const { return inputs_; }
    QListWidget* Outputs() const { return outputs_; }
    QRadioButton* Mono() const { return mono_; }
    QRadioButton* Stereo() const { return stereo_; }
    QPushButton* ConnectButton() const { return connect_; }
    QPushButton* DisconnectButton() const { return disconnect_; }

    void SetControlsEnabled(bool enabled);
    void ClearSelections();

  private:
    QComboBox* inputType_;
    QComboBox* outputType_;
    QListWidget* inputs_;
    QListWidget* outputs_;
    QRadioButton* mono_;
    QRadioButton* stereo_;
    QPushButton* connect_;
    QPushButton* disconnect_;
};

}  // namespace velmar
