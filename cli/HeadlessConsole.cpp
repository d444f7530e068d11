#include "cli/HeadlessConsole.h"

namespace velmar {

HeadlessConsole::HeadlessConsole(Session& session) : session_(session) {
    session_.Views().mainWindow = this;
    session_.Views().matrix = this;
    session_.Link().SetObserver(&answers_);
}

HeadlessConsole::~HeadlessConsole() {
    session_.Link().SetObserver(nullptr);
    session_.Views().mainWindow = nullptr;
    session_.Views().matrix = nullptr;
}

bool HeadlessConsole::FrameRead() const {
    const ConnectionState& connection = session_.Connection();
    if (!connection.connected || session_.Polling().PollsRun() == 0 || !answers_.Empty())
        return false;
    const bool hasCards = connection.deviceMode == DeviceMode::Application && connection.modelClass != 2;
    return !hasCards || session_.Polling().CardRequestRuns() > 0;
}

}  // namespace velmar
