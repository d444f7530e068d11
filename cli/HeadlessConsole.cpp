#include "cli/HeadlessConsole.h"

namespace velmar {

HeadlessConsole::HeadlessConsole(Session& session) : session_(session) {
    EventHub& events = session_.Events();
    subscriptions_.push_back(
        events.Subscribe<TitleChanged>([this](const TitleChanged& e) { title_ = e.title; }));
    subscriptions_.push_back(events.Subscribe<ConnectionChanged>(
        [this](const ConnectionChanged& e) { wasConnected_ = wasConnected_ || e.connected; }));
    subscriptions_.push_back(
        events.Subscribe<ConnectFailed>([this](const ConnectFailed& e) { connectError_ = e.error; }));
    session_.Link().SetObserver(&answers_);
}

HeadlessConsole::~HeadlessConsole() {
    session_.Link().SetObserver(nullptr);
}

bool HeadlessConsole::FrameRead() const {
    const ConnectionState& connection = session_.Connection();
    if (!connection.connected || session_.Polling().PollsRun() == 0 || !answers_.Empty())
        return false;
    const bool hasCards = connection.deviceMode == DeviceMode::Application && session_.Capabilities().matrix;
    return !hasCards || session_.Polling().CardRequestRuns() > 0;
}

}  // namespace velmar
