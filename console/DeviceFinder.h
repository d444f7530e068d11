#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <QUdpSocket>
#include <cstdint>
#include <map>

#include "device/EchoProbe.h"
#include "device/LinkPorts.h"
#include "device/discovery/DeviceList.h"
#include "device/discovery/PendingAnswers.h"
#include "device/discovery/SavedDevices.h"
#include "device/ui/Prompter.h"
#include "platform/qt/DiscoveryBroadcaster.h"
#include "platform/qt/DiscoveryListenerThread.h"
#include "platform/qt/QtDatagramSocket.h"
#include "platform/qt/QtTimerService.h"

namespace velmar {

// Keeps the device list: the discovery broadcast, the answers the UDP worker collects (shown
// 200 ms after the last one), the saved devices from the profile (listed 600 ms after a
// broadcast and 100 ms after an add), adding a frame by address and removing a saved one.
class DeviceFinder final : public QObject {
    Q_OBJECT

  public:
    static constexpr int kAnswersDelayMs = 200;
    static constexpr int kReloadAfterBroadcastMs = 600;
    static constexpr int kReloadAfterAddMs = 100;
    static constexpr int kReturnAskMs = 1000;
    // A frame that has not answered after this many asks is left to Refresh.
    static constexpr int kReturnAsks = 600;

    DeviceFinder(ProfileStore& profile, Prompter& prompter, LinkPorts ports, std::uint16_t discoveryPort,
                 QObject* parent = nullptr);
    ~DeviceFinder() override;

    // Starts the UDP worker and sends the first broadcast.
    void Start();
    // Empties the list and asks every frame to answer.
    void StartDiscovery();
    // Adds a frame by dotted address once it answers the echo probe. Returns at once; the
    // operator hears of an address that is listed already or does not answer.
    void AddDevice(const QString& address);
    bool AddInProgress() const { return probe_.Running(); }
    // Removes the row and, when its address text is a saved device, that entry.
    void RemoveFromList(int row);
    // The frame is going away to restart: its row goes, and the frame is asked once a second
    // whether it is back, so that its row returns by itself (in its new mode) when it answers.
    void RemoveRowOf(std::uint32_t address);
    void SetRowText(std::uint32_t address, DeviceColumn column, const QString& text);
    void SaveProfile();

    const DeviceList& List() const { return list_; }
    const SavedDevices& Saved() const { return saved_; }
    bool Listening() const { return worker_.Listening(); }

  signals:
    void listChanged();
    // A frame answered that it is going away.
    void frameGoingAway(std::uint32_t address);

  private:
    void ShowPendingAnswers();
    void ReloadSavedDevices();
    void FinishAdd(const std::string& address, bool answered);
    void WatchReturn(std::uint32_t address);
    void AskReturning();

    ProfileStore& profile_;
    Prompter& prompter_;
    LinkPorts ports_;
    DeviceList list_;
    SavedDevices saved_;
    PendingAnswers pending_;
    DiscoveryListenerThread worker_;
    DiscoveryBroadcaster broadcaster_;
    QTimer answersTimer_;
    QTimer reloadTimer_;
    QtTimerService probeTimers_;
    QtDatagramSocket probeSocket_;
    EchoProbe probe_;
    std::map<std::uint32_t, int> returning_;  // address: asks left
    QTimer returnTimer_;
    QUdpSocket returnSocket_;
};

}  // namespace velmar
