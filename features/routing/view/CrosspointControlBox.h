#pragma once

#include <QGroupBox>
#include <vector>

#include "features/routing/core/ChannelCatalog.h"
#include "features/routing/core/CrosspointFile.h"
#include "features/routing/view/RoutingContext.h"

class QComboBox;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace velmar {

// The right of the main window: routing by interface type, in mono or stereo.
class CrosspointControlBox final : public QGroupBox {
  public:
    CrosspointControlBox(RoutingContext context, QWidget* parent);

    // Refill both selectors from the frame, select their first entry and show AES on both sides.
    void RebuildTypeSelectors();
    void FillChannelList(RouteSide side, std::int32_t type);
    // Refill a side's list if it shows IP channels, whose flow marks may have changed.
    void RefillIpChannels(RouteSide side);
    void ClearSelections();
    // Channel labels changed: the lists show them beside the channel names.
    void Relabel();

    void ConnectSelected();
    void DisconnectSelected();

    QComboBox* TypeSelector(RouteSide side) const {
        return side == RouteSide::Input ? inputType_ : outputType_;
    }
    QListWidget* ChannelList(RouteSide side) const { return side == RouteSide::Input ? inputs_ : outputs_; }
    QRadioButton* MonoButton() const { return mono_; }
    QRadioButton* StereoButton() const { return stereo_; }
    QPushButton* ConnectButton() const { return connectButton_; }
    QPushButton* DisconnectButton() const { return disconnectButton_; }

  private:
    ChannelCatalog Catalog() const;
    bool Stereo() const;
    std::int32_t ShownType(RouteSide side) const;
    std::vector<std::int32_t> SelectedChannels(RouteSide side) const;

    RoutingContext context_;
    QComboBox* inputType_;
    QComboBox* outputType_;
    QListWidget* inputs_;
    QListWidget* outputs_;
    QRadioButton* mono_;
    QRadioButton* stereo_;
    QPushButton* connectButton_;
    QPushButton* disconnectButton_;
};

}  // namespace velmar
