#pragma once

#include <memory>

#include "console/DeviceFinder.h"
#include "device/Session.h"
#include "device/discovery/ProfileStore.h"
#include "device/ui/FilePicker.h"
#include "device/ui/NoticingPrompter.h"
#include "device/ui/Prompter.h"
#include "platform/qt/QtDatagramSocket.h"
#include "platform/qt/QtTcpTransport.h"
#include "platform/qt/QtTimerService.h"

namespace velmar {

// What the console asks the operator through and keeps its profile in; a missing one is
// replaced by the platform's own.
struct ConsoleServices {
    Prompter* prompter = nullptr;
    FilePicker* filePicker = nullptr;
    ProfileStore* profile = nullptr;
};

// The one console core of the application: the Qt side of the platform interfaces, the session
// with the connected frame and the device finder. It outlives every window; windows get it and
// subscribe to its events, and never own it.
class ConsoleCore {
  public:
    explicit ConsoleCore(ConsoleOptions options, ConsoleServices services = {});
    ~ConsoleCore();
    ConsoleCore(const ConsoleCore&) = delete;
    ConsoleCore& operator=(const ConsoleCore&) = delete;

    Session& GetSession() { return session_; }
    DeviceFinder& Finder() { return finder_; }
    // What windows tell the operator also reaches the event log.
    Prompter& GetPrompter() { return noticing_; }
    FilePicker& GetFilePicker() { return *filePicker_; }
    ProfileStore& Profile() { return *profile_; }

  private:
    std::unique_ptr<Prompter> ownPrompter_;
    std::unique_ptr<FilePicker> ownFilePicker_;
    std::unique_ptr<ProfileStore> ownProfile_;
    Prompter* prompter_;
    FilePicker* filePicker_;
    ProfileStore* profile_;
    // Declared before the session: its timers and sockets must outlive the session's handles.
    QtTimerService timers_;
    QtTcpTransport transport_;
    QtDatagramSocket datagrams_;
    Session session_;
    NoticingPrompter noticing_;
    DeviceFinder finder_;
};

}  // namespace velmar
