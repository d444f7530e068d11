#include "cli/HeadlessConsole.h"

namespace velmar {

HeadlessConsole::HeadlessConsole(Session& session) : session_(session), read_(session.Outcomes()) {
    EventHub& events = session_.Events();
    subscriptions_.push_back(
        events.Subscribe<TitleChanged>([this](const TitleChanged& e) { title_ = e.title; }));
    subscriptions_.push_back(events.Subscribe<ConnectionChanged>(
        [this](const ConnectionChanged& e) { wasConnected_ = wasConnected_ || e.connected; }));
    subscriptions_.push_back(
        events.Subscribe<ConnectFailed>([this](const ConnectFailed& e) { connectError_ = e.error; }));
}

HeadlessConsole::~HeadlessConsole() = default;

void HeadlessConsole::ReadSoon(bool cards) {
    cards_ = cards;
    const ConnectionState& connection = session_.Connection();
    if (hurried_ || !connection.connected || !connection.receiveReady ||
        connection.deviceMode != DeviceMode::Application || session_.Polling().PollsRun() != 0 ||
        read_.Requests().empty() || !read_.Settled())
        return;
    hurried_ = true;
    session_.PollStateIn(std::chrono::milliseconds(0));
    if (cards && session_.Capabilities().matrix)
        session_.RequestCardsIn(std::chrono::milliseconds(0));
}

bool HeadlessConsole::FrameRead() const {
    const ConnectionState& connection = session_.Connection();
    if (!connection.connected || session_.Polling().PollsRun() == 0 || !read_.AllReplied())
        return false;
    const bool hasCards = connection.deviceMode == DeviceMode::Application && session_.Capabilities().matrix;
    return !hasCards || !cards_ || session_.Polling().CardRequestRuns() > 0;
}

}  // namespace velmar
