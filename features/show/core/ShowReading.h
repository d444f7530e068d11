#pragma once

#include "device/EventHub.h"
#include "features/networkaudio/core/FlowTables.h"
#include "features/networkaudio/core/IpRouteTable.h"
#include "features/ppm/core/PpmStreamTable.h"
#include "features/show/core/ShowFile.h"

namespace velmar {

class Session;

// What a show reads of a frame beyond the whole-frame reading, from a frame that offers it: the
// labels, gains, level detectors, PPM streams, IP flows and automatic routes (a K5E, or software
// before labels, would refuse every run). Two rounds, each a batch the caller waits for: the
// lists, then the channels of each PPM stream and flow slot the lists named.
class ShowReading {
  public:
    explicit ShowReading(Session& session);

    void AskLists();
    // False when there is nothing to ask.
    bool AskChannels();

    // The frame as read; valid while the session and this reading live.
    LiveFrame Live() const;

  private:
    Session& session_;
    bool gains_ = false, detectors_ = false, ppm_ = false, flows_ = false, autoRoutes_ = false;
    PpmStreamTable streams_;
    FlowTables flowTables_;
    IpRouteTable routes_;
    Subscriptions subscriptions_;
};

}  // namespace velmar
