#include "console/ConsoleCore.h"

#include "device/discovery/DiscoveryDatagram.h"
#include "platform/qt/QtFilePicker.h"
#include "platform/qt/QtProfileStore.h"
#include "platform/qt/QtPrompter.h"

namespace velmar {

namespace {

template <typename T>
T* OwnedOrDefault(T* given, std::unique_ptr<T>& owned, std::unique_ptr<T> fallback) {
    if (given != nullptr)
        return given;
    owned = std::move(fallback);
    return owned.get();
}

}  // namespace

ConsoleCore::ConsoleCore(ConsoleOptions options, ConsoleServices services)
    : prompter_(OwnedOrDefault<Prompter>(services.prompter, ownPrompter_, std::make_unique<QtPrompter>())),
      filePicker_(
          OwnedOrDefault<FilePicker>(services.filePicker, ownFilePicker_, std::make_unique<QtFilePicker>())),
      profile_(
          OwnedOrDefault<ProfileStore>(services.profile, ownProfile_, std::make_unique<QtProfileStore>())),
      session_(transport_, datagrams_, timers_, LinkPorts::FromEnvironment(), options),
      frames_(timers_, LinkPorts::FromEnvironment()),
      noticing_(*prompter_, session_.Events()),
      finder_(*profile_, noticing_, LinkPorts::FromEnvironment(), DiscoveryPortFromEnvironment()) {
    session_.SetBaseTitle(" Velmar");
    if (auto* own = dynamic_cast<QtFilePicker*>(ownFilePicker_.get()))
        own->SetProfile(profile_);
}

ConsoleCore::~ConsoleCore() {
    // What features keep follows the sessions: it goes while they are still there, and hears
    // nothing of the focused frame's disconnect below.
    while (!kept_.empty())
        kept_.pop_back();
    // Whatever the windows did, the frame hears the link close rather than a vanished peer.
    if (session_.Connection().connected)
        session_.Disconnect();
}

}  // namespace velmar
