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
}

bool HeadlessConsole::FrameRead() const {
    const ConnectionState& connection = session_.Connection();
    const DeviceLink& link = session_.Link();
    if (!connection.connected || session_.Polling().PollsRun() == 0)
        return false;
    if (link.RequestsSent() == 0 || link.RepliesReceived() < link.RequestsSent())
        return false;
    const bool hasCards = connection.deviceMode == DeviceMode::Application && session_.Capabilities().matrix;
    return !hasCards || session_.Polling().CardRequestRuns() > 0;
}

}  // namespace velmar
