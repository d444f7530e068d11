#pragma once

#include <memory>
#include <typeindex>
#include <utility>
#include <vector>

#include "console/DeviceFinder.h"
#include "console/FrameSessions.h"
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
// with the connected (focused) frame, the sessions with any other frames, and the device finder.
// It outlives every window; windows get it and subscribe to its events, and never own it.
class ConsoleCore {
  public:
    explicit ConsoleCore(ConsoleOptions options, ConsoleServices services = {});
    ~ConsoleCore();
    ConsoleCore(const ConsoleCore&) = delete;
    ConsoleCore& operator=(const ConsoleCore&) = delete;

    // The focused frame's session: the one the windows that edit or route act on.
    Session& GetSession() { return session_; }
    // Sessions with frames other than the focused one.
    FrameSessions& Frames() { return frames_; }
    DeviceFinder& Finder() { return finder_; }
    // What windows tell the operator also reaches the event log.
    Prompter& GetPrompter() { return noticing_; }
    FilePicker& GetFilePicker() { return *filePicker_; }
    ProfileStore& Profile() { return *profile_; }

    // An object a feature keeps for the application's lifetime (a rack watched whatever window
    // is open): made from `args` on the first call, the same one after. Kept objects go first
    // when the core goes, the last kept first, while the sessions they follow still exist.
    template <class T, class... Args>
    T& Keep(Args&&... args) {
        if (T* found = Find<T>())
            return *found;
        auto made = std::make_unique<T>(std::forward<Args>(args)...);
        T& kept = *made;
        kept_.emplace_back(std::type_index(typeid(T)), std::shared_ptr<void>(std::move(made)));
        return kept;
    }
    template <class T>
    T* Find() {
        for (auto& [type, object] : kept_) {
            if (type == std::type_index(typeid(T)))
                return static_cast<T*>(object.get());
        }
        return nullptr;
    }

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
    FrameSessions frames_;
    NoticingPrompter noticing_;
    DeviceFinder finder_;
    std::vector<std::pair<std::type_index, std::shared_ptr<void>>> kept_;
};

}  // namespace velmar
