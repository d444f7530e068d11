#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

#include "device/ActionOutcomes.h"
#include "device/EventHub.h"
#include "features/networkaudio/core/IpRouteTable.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace velmar {

class Prompter;
class Session;

// Routes network channels between devices by host name, switches the frame's automatic routing
// and sets its network frame rate and latency. The list shows the routes the frame reports.
class AutoIpRoutingDialog final : public QDialog {
  public:
    AutoIpRoutingDialog(Session& session, Prompter& prompter, QWidget* parent);
    ~AutoIpRoutingDialog() override;

    void Refresh();
    void AutoRouteClicked(bool checked);
    void Set();
    void Connect();
    void DeleteRoutes();

    QCheckBox* AutoRouteBox() const { return autoRoute_; }
    QLineEdit* FrameRateField() const { return frameRate_; }
    QLineEdit* LatencyField() const { return latency_; }
    QLineEdit* DestinationField() const { return destination_; }
    QLineEdit* SourceField() const { return source_; }
    QLineEdit* DestinationHostField() const { return destinationHost_; }
    QLineEdit* SourceHostField() const { return sourceHost_; }
    QPushButton* SetButton() const { return set_; }
    QPushButton* ConnectButton() const { return connect_; }
    QTreeWidget* RouteList() const { return list_; }
    QLabel* Note() const { return note_; }

  private:
    struct Fields {
        std::int32_t frameRate = 0;
        std::int32_t latency = 0;
        std::int32_t destination = 0;
        std::int32_t source = 0;
        std::string destinationHost;
        std::string sourceHost;
    };
    std::optional<Fields> ReadFields();
    void Subscribe();
    // Runs `send` as one action: the event log tells its outcome, the note line what went wrong.
    void Track(const std::function<void()>& send);
    void OnRoute(const CrossIpReported& report);
    void EnableForAutoRoute();

    Session& session_;
    Prompter& prompter_;
    IpRouteTable table_;
    QCheckBox* autoRoute_;
    QLineEdit* frameRate_;
    QLineEdit* latency_;
    QLineEdit* destination_;
    QLineEdit* source_;
    QLineEdit* destinationHost_;
    QLineEdit* sourceHost_;
    QPushButton* set_;
    QPushButton* connect_;
    QTreeWidget* list_;
    QLabel* note_;
    Subscriptions subscriptions_;
    ActionOutcomes outcomes_;
};

}  // namespace velmar
