#include "console/DeviceFinder.h"

#include <QHostAddress>

#include "device/discovery/DiscoveryDatagram.h"
#include "protocol/Ipv4Address.h"

namespace velmar {

namespace {

constexpr auto kProbeLimit = std::chrono::milliseconds(1000);

}  // namespace

DeviceFinder::DeviceFinder(ProfileStore& profile, Prompter& prompter, LinkPorts ports,
                           std::uint16_t discoveryPort, QObject* parent)
    : QObject(parent),
      profile_(profile),
      prompter_(prompter),
      ports_(ports),
      worker_(pending_, discoveryPort),
      broadcaster_(ports.echo),
      probe_(probeSocket_, probeTimers_) {
    answersTimer_.setSingleShot(true);
    reloadTimer_.setSingleShot(true);
    connect(&answersTimer_, &QTimer::timeout, this, &DeviceFinder::ShowPendingAnswers);
    connect(&reloadTimer_, &QTimer::timeout, this, &DeviceFinder::ReloadSavedDevices);
    connect(&returnTimer_, &QTimer::timeout, this, &DeviceFinder::AskReturning);
    // Queued from the worker: each answer pushes the showing back, so a burst is shown at once.
    connect(&worker_, &DiscoveryListenerThread::answerAccepted, this,
            [this] { answersTimer_.start(kAnswersDelayMs); });
}

DeviceFinder::~DeviceFinder() {
    probe_.Cancel();
    worker_.Finish();
}

void DeviceFinder::Start() {
    // Known before the first reload, so that closing the window early cannot write an empty
    // list over the saved one.
    saved_.Load(profile_);
    worker_.Begin();
    StartDiscovery();
}

void DeviceFinder::StartDiscovery() {
    list_.Clear();
    emit listChanged();
    broadcaster_.Send(kDiscoveryQuery);
    reloadTimer_.start(kReloadAfterBroadcastMs);
}

void DeviceFinder::ShowPendingAnswers() {
    bool changed = false;
    for (const std::string& entry : pending_.TakeAll()) {
        const DeviceList::Outcome outcome = list_.Update(entry, false);
        changed = changed || outcome.changed;
        if (outcome.goingAway) {
            WatchReturn(outcome.address);
            emit frameGoingAway(outcome.address);
        } else {
            returning_.erase(outcome.address);
        }
    }
    if (changed)
        emit listChanged();
}

void DeviceFinder::ReloadSavedDevices() {
    saved_.Load(profile_);
    for (const std::string& address : saved_.Entries())
        list_.Update(address + ",", true);
    emit listChanged();
}

void DeviceFinder::AddDevice(const QString& address) {
    if (address.isEmpty() || probe_.Running())
        return;
    const std::string text = address.toStdString();
    const auto value = ParseIpv4(text);
    if (!value)
        return;
    if (list_.Find(*value)) {
        prompter_.Information("Device already in the selection list");
        return;
    }
    if (saved_.Full()) {
        prompter_.Warning("The selection list holds no more devices");
        return;
    }
    probe_.Start(*value, ports_.echo, kProbeLimit, [this, text](bool answered) {
        // The probe's callback may run inside Start; finishing on the next turn keeps the
        // message box out of the probe's own call.
        QTimer::singleShot(0, this, [this, text, answered] { FinishAdd(text, answered); });
    });
}

void DeviceFinder::FinishAdd(const std::string& address, bool answered) {
    if (!answered) {
        prompter_.Warning("Device " + address + " is not responding");
        return;
    }
    saved_.Add(address);
    SaveProfile();
    reloadTimer_.start(kReloadAfterAddMs);
}

void DeviceFinder::RemoveFromList(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= list_.Size())
        return;
    // Written at once: the next reload reads the profile, and would otherwise bring the
    // removed frame back.
    if (saved_.Remove(list_.Rows()[static_cast<std::size_t>(row)].Column(DeviceColumn::Address)))
        SaveProfile();
    list_.RemoveAt(static_cast<std::size_t>(row));
    emit listChanged();
}

void DeviceFinder::RemoveRowOf(std::uint32_t address) {
    WatchReturn(address);
    if (const auto row = list_.Find(address)) {
        list_.RemoveAt(*row);
        emit listChanged();
    }
}

void DeviceFinder::WatchReturn(std::uint32_t address) {
    if (address == 0)
        return;
    returning_[address] = kReturnAsks;
    if (!returnTimer_.isActive())
        returnTimer_.start(kReturnAskMs);
}

void DeviceFinder::AskReturning() {
    // Asked at its own address only: the other frames' rows are not disturbed. The answer
    // comes to the discovery port like any other and brings the row back.
    const QByteArray query(kDiscoveryQuery.data(), static_cast<qsizetype>(kDiscoveryQuery.size()));
    for (auto it = returning_.begin(); it != returning_.end();) {
        returnSocket_.writeDatagram(query, QHostAddress(it->first), ports_.echo);
        it = --it->second > 0 ? std::next(it) : returning_.erase(it);
    }
    if (returning_.empty())
        returnTimer_.stop();
}

void DeviceFinder::SetRowText(std::uint32_t address, DeviceColumn column, const QString& text) {
    if (list_.SetText(address, column, text.toStdString()))
        emit listChanged();
}

void DeviceFinder::SaveProfile() {
    saved_.Save(profile_);
}

}  // namespace velmar
