#pragma once

#include <functional>
#include <span>
#include <string>

#include "device/DeviceModel.h"
#include "device/Session.h"
#include "device/ui/FilePicker.h"
#include "device/ui/Prompter.h"
#include "features/routing/core/ChannelNames.h"
#include "features/routing/core/CrosspointFile.h"
#include "features/routing/core/RoutingHistory.h"
#include "features/routing/core/RoutingUnit.h"

namespace velmar {

// What the routing windows work with: the connection, and the operator's answers and file choices.
struct RoutingContext {
    Session& session;
    Prompter& prompter;
    FilePicker& files;
    // Where what is sent is remembered for undo; none in windows that keep no history.
    RoutingHistory* history = nullptr;
    // Where a view says why it sent nothing, and about which output (the routing area's
    // message line); none in windows without one.
    std::function<void(std::int32_t output, const std::string& why)> refuse = nullptr;

    void Refuse(std::int32_t output, const std::string& why) const {
        session.Events().Publish(ConsoleNotice{NoticeLevel::Warning, why});
        if (refuse)
            refuse(output, why);
    }

    bool Connected() const { return session.Connection().connected; }
    // Connected, or showing the last known routing of a frame whose link was lost.
    bool Shows() const { return Connected() || session.Connection().lostSince.has_value(); }
    // Connected and no firmware is being programmed.
    bool MayRoute() const { return Connected() && !session.LinkHeld(); }
    // As above, and the crosspoint stepper is idle.
    bool Ready() const { return session.IsReady(); }

    // Sends nothing (and says why) while one of the outputs still waits for the frame to answer
    // a change: what it will be fed from is not known yet.
    bool Send(std::span<const Crosspoint> crosspoints) const {
        for (const Crosspoint& c : crosspoints) {
            if (session.Feature<RoutingUnit>().Pending(c.output)) {
                Refuse(c.output, "Not sent: " + ChannelText(c.output) +
                                     " is still waiting for the frame to answer its last change.");
                return false;
            }
        }
        if (history != nullptr)
            history->Record(crosspoints, session.Feature<RoutingUnit>().Crosspoints(), session.Channels());
        for (const Crosspoint& c : crosspoints)
            session.Feature<RoutingUnit>().SetCrosspoint(c.output, c.input);
        return true;
    }
};

}  // namespace velmar
