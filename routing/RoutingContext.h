#pragma once

#include <span>

#include "device/DeviceModel.h"
#include "device/Session.h"
#include "device/ui/FilePicker.h"
#include "device/ui/Prompter.h"
#include "routing/core/CrosspointFile.h"
#include "routing/core/RoutingHistory.h"

namespace velmar {

// What the routing windows work with: the connection, and the operator's answers and file choices.
struct RoutingContext {
    Session& session;
    Prompter& prompter;
    FilePicker& files;
    // Where what is sent is remembered for undo; none in windows that keep no history.
    RoutingHistory* history = nullptr;

    bool Connected() const { return session.Connection().connected; }
    // Connected and no firmware is being programmed.
    bool MayRoute() const { return Connected() && !session.Firmware().RunActive(); }
    // As above, and the crosspoint stepper is idle.
    bool Ready() const { return session.IsReady(); }

    void Send(std::span<const Crosspoint> crosspoints) const {
        if (history != nullptr)
            history->Record(crosspoints, session.State(), session.Channels());
        for (const Crosspoint& c : crosspoints)
            session.Routing().SetCrosspoint(c.output, c.input);
    }
};

}  // namespace velmar
