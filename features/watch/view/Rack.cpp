#include "features/watch/view/Rack.h"

#include <QApplication>
#include <QSystemTrayIcon>
#include <QTimer>

#include "console/ConsoleCore.h"
#include "device/AddressText.h"
#include "features/eventlog/core/EventLog.h"
#include "features/watch/core/WatchLink.h"

namespace velmar {

namespace {

// A watch's own link, leased from the core's frame sessions.
class LeasedLink final : public WatchLink {
  public:
    explicit LeasedLink(FrameSessions::Lease lease) : lease_(std::move(lease)) {}
    Session& Get() override { return lease_.Get(); }

  private:
    FrameSessions::Lease lease_;
};

}  // namespace

Rack::Rack(ConsoleCore& core)
    : core_(core),
      settings_(RackSettings::Load(core.Profile())),
      watch_(
          [&core](const std::string& address, DeviceMode mode) {
              return std::make_unique<LeasedLink>(core.Frames().Open(address, mode, HealthOnlyOptions()));
          },
          core.Timers(), &core.GetSession()),
      opened_(store_.Open(SqliteHealthHistory::DefaultPath(), SqliteHealthHistory::Access::ReadWrite)),
      batch_(store_, core.Timers()),
      recorder_(watch_.Hub(), batch_, core.Timers(), settings_.Keep()),
      alarms_(watch_.Hub()),
      model_(watch_, alarms_) {
    for (const AlarmKind kind : kAllAlarmKinds)
        alarms_.Enable(kind, settings_.Alarm(kind));
    EventHub& rack = watch_.Hub();
    subscriptions_.push_back(rack.Subscribe<HealthChanged>(
        [this](const HealthChanged& change) { model_.Changed(change.frame, change.time); }));
    subscriptions_.push_back(rack.Subscribe<AlarmRaised>([this](const AlarmRaised& e) {
        Say(e.alarm, "raised", NoticeLevel::Warning);
        if (tray_) {
            tray_->showMessage(QStringLiteral("Velmar: ") + QString::fromStdString(e.alarm.frame),
                               QString::fromStdString(e.alarm.text), QSystemTrayIcon::Warning);
        }
    }));
    subscriptions_.push_back(rack.Subscribe<AlarmCleared>(
        [this](const AlarmCleared& e) { Say(e.alarm, "cleared", NoticeLevel::Info); }));
    subscriptions_.push_back(rack.Subscribe<AlarmAcknowledged>(
        [this](const AlarmAcknowledged& e) { Say(e.alarm, "acknowledged", NoticeLevel::Info); }));
    // Everything the event log says is kept beside the frames' changes.
    subscriptions_.push_back(core.GetSession().Events().Subscribe<EventLogged>([this](const EventLogged& e) {
        Record({}, "log", std::string(NoticeLevelName(e.entry.level)), e.entry.text, e.entry.time);
    }));
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        tray_ = std::make_unique<QSystemTrayIcon>(QApplication::windowIcon());
        tray_->show();
    }
    model_.OnTicked([this](const std::string& addressText, bool ticked) {
        SetTicked(std::string(AddressOfAddressText(addressText)), ticked);
    });
    std::vector<RackModel::Listing> ticked;
    for (const std::string& address : settings_.ticked)
        ticked.push_back({address, DeviceMode::Application, {}});
    model_.AddFrames(ticked);
    for (const std::string& address : settings_.ticked)
        model_.SetTicked(address, true);
    connect(&core.Finder(), &DeviceFinder::listChanged, this, [this] { Relist(); });
    Relist();
}

Rack::~Rack() {
    subscriptions_.clear();
    batch_.Flush();
}

void Rack::Relist() {
    std::vector<RackModel::Listing> listed;
    for (const DeviceRow& row : core_.Finder().List().Rows()) {
        const std::string& text = row.Column(DeviceColumn::Address);
        listed.push_back({std::string(AddressOfAddressText(text)), ModeOfAddressText(text),
                          row.Column(DeviceColumn::Name)});
    }
    model_.AddFrames(listed);
    Rewatch();
}

void Rack::Rewatch() {
    for (int row = 0; row < model_.rowCount(); ++row) {
        const std::string address = model_.AddressAt(row);
        const bool wanted = settings_.watchAll || settings_.ticked.contains(address);
        const FrameWatch* watching = watch_.Find(address);
        const DeviceMode mode = ModeOfAddressText(model_.AddressTextAt(row));
        if (wanted && (watching == nullptr || watching->Mode() != mode)) {
            starting_.insert(address);
        } else if (!wanted) {
            starting_.erase(address);
        }
        if (!wanted && watching != nullptr) {
            watch_.Unwatch(address);
            alarms_.Forget(address);
            model_.Changed(address);
        }
    }
    StartSome();
}

void Rack::StartSome() {
    // A session per frame is made and connected a few at a time, so that a rack of 250 does
    // not hold the window for one long turn.
    for (int started = 0; started < kStartsPerTurn && !starting_.empty(); ++started) {
        const std::string address = *starting_.begin();
        starting_.erase(starting_.begin());
        const int row = model_.RowOf(address);
        if (row < 0)
            continue;
        watch_.Watch(address, ModeOfAddressText(model_.AddressTextAt(row)));
        model_.Changed(address);
    }
    if (!starting_.empty() && !startPending_) {
        startPending_ = true;
        QTimer::singleShot(0, this, [this] {
            startPending_ = false;
            StartSome();
        });
    }
}

void Rack::SetWatchAll(bool all) {
    if (settings_.watchAll == all)
        return;
    settings_.watchAll = all;
    settings_.Save(core_.Profile());
    Rewatch();
}

void Rack::SetTicked(const std::string& address, bool ticked) {
    if (ticked ? !settings_.ticked.insert(address).second : settings_.ticked.erase(address) == 0)
        return;
    model_.SetTicked(address, ticked);
    settings_.Save(core_.Profile());
    Rewatch();
}

void Rack::Apply(const RackSettings& settings) {
    const bool keepChanged = settings.keepDays != settings_.keepDays;
    settings_.alarms = settings.alarms;
    settings_.keepDays = settings.keepDays;
    for (const AlarmKind kind : kAllAlarmKinds)
        alarms_.Enable(kind, settings_.Alarm(kind));
    if (keepChanged)
        recorder_.SetKeep(settings_.Keep());
    settings_.Save(core_.Profile());
}

std::string Rack::HistoryProblem() const {
    if (!opened_.empty())
        return opened_;
    if (batch_.Failures() != 0)
        return std::to_string(batch_.Failures()) + " writes failed: " + batch_.LastFailure();
    if (recorder_.Failures() != 0)
        return recorder_.LastFailure();
    return {};
}

void Rack::Record(std::string frame, std::string what, std::string from, std::string to,
                  std::chrono::system_clock::time_point time) {
    if (opened_.empty())
        batch_.Record(HealthChanged{std::move(frame), std::move(what), std::move(from), std::move(to), time});
}

void Rack::Say(const Alarm& alarm, const std::string& how, NoticeLevel level) {
    const FrameWatch* watch = watch_.Find(alarm.frame);
    const std::string name = watch != nullptr ? watch->Value("name") : std::string();
    const std::string frame = name.empty() ? alarm.frame : name + " (" + alarm.frame + ")";
    const auto when = how == "raised" ? alarm.raised : alarm.cleared.value_or(core_.Timers().WallTime());
    Record(alarm.frame, "alarm", how, alarm.text, how == "acknowledged" ? core_.Timers().WallTime() : when);
    core_.GetSession().Events().Publish(ConsoleNotice{level, frame + ": alarm " + how + ": " + alarm.text});
}

}  // namespace velmar
