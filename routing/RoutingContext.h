#pragma once

#include <span>

#include "device/DeviceModel.h"
#include "device/Session.h"
#include "device/ui/FilePicker.h"
#include "device/ui/Prompter.h"
#include "routing/core/CrosspointFile.h"

namespace velmar {

// What the routing windows work with: the connection, and the operator's answers and file choices.
struct RoutingContext {
    Session& session;
    Prompter& prompter;
    FilePicker& files;

    bool Connected() const { return session.Connection().connected; }
    // Connected and no firmware is being programmed.
    bool MayRoute() const { return Connected() && !session.Firmware().RunActive(); }
    // As above, and the crosspoint stepper is idle.
    bool Ready() const { return session.IsReady(); }

    void Send(std::span<const Crosspoint> crosspoints) const {
        for (const Crosspoint& c : crosspoints)
            session.Routing().SetCrosspoint(c.output, c.input);
    }
};

}  // namespace velmar
