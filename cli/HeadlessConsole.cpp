#include "cli/HeadlessConsole.h"

namespace velmar {

HeadlessConsole::HeadlessConsole(Session& session) : session_(session) {
    session_.Views().mainWindow = this;
    session_.Views().matrix = this;
}

HeadlessConsole::~HeadlessConsole() {
    session_.Views().mainWindow = nullptr;
    session_.Views().matrix = nullptr;
}

bool HeadlessConsole::FrameRead() const {
    const ConnectionState& connection = session_.Connection();
    const DeviceLink& link = session_.Link();
    if (!connection.connected || session_.Polling().PollsRun() == 0)
        return false;
    if (link.RequestsSent() == 0 || link.RepliesReceived() < link.RequestsSent())
        return false;
    const bool hasCards = connection.deviceMode == DeviceMode::Application && connection.modelClass != 2;
    return !hasCards || session_.Polling().CardRequestRuns() > 0;
}

}  // namespace velmar
