#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "device/DeviceState.h"
#include "features/leveldetectors/core/LevelDetectorRules.h"
#include "features/routing/core/CrosspointFile.h"
#include "features/routing/core/CrosspointTable.h"
#include "features/show/core/ShowFile.h"

namespace velmar {

// One PPM request of an apply, in the order they go: a stream whose settings differ is deleted and
// created again, then enabled or disabled, then its channels assigned.
struct PpmRequest {
    enum class Kind : std::uint8_t { Delete, Create, Enable, Assign } kind = Kind::Create;
    std::uint32_t id = 0;
    const PpmStream* stream = nullptr;                 // Create: the show's stream
    bool enabled = false;                              // Enable
    std::int32_t streamChannel = 0, frameChannel = 0;  // Assign
};

// One network-audio request of an apply: flows are deleted before they are made again, slots
// follow their flow, automatic routes come last.
struct FlowRequest {
    enum class Kind : std::uint8_t { Delete, Create, Slot, AutoRoute } kind = Kind::Create;
    bool transmit = false;
    std::int32_t flow = 0;  // AutoRoute: the network channel
    FlowEntry entry{};      // Delete: the frame's flow; Create: the show's
    std::int32_t slot = 0, channel = 0;
    IpRoute route{};  // AutoRoute; a source channel "" removes the route
};

// One frame of a show against the live frame: what differs, section by section, as texts for the
// operator, and what applying the show would send to make the frame hold what the file says.
struct ShowComparison {
    // What differs, from the frame's value to the file's: "AliveTime: 30 to 45",
    // "MADI 20: from AES 05 to AES 08", "label in 5: '' to 'Kick In'".
    std::vector<std::string> settings;
    std::vector<std::string> cards;
    std::vector<std::string> routes;
    std::vector<std::string> labels;
    std::vector<std::string> gains;
    std::vector<std::string> detectors;
    std::vector<std::string> ppm;
    std::vector<std::string> flows;
    // Differences applying cannot send (a gain is only ever cleared from the console): reported,
    // never counted as applied.
    std::vector<std::string> unsent;
    // What the file names that the frame lacks (nothing is sent for it).
    std::vector<std::string> absent;
    // What the frame has that the file does not mention, or that is kept back: it stays as it is.
    std::vector<std::string> kept;
    // Why the file's settings cannot be taken for this frame ("rack.toml:14: AliveTime: ...");
    // empty when they can. With a problem nothing is to be sent to the frame.
    std::string problem;

    // What applying sends: the settings as they should be (null when none differ), the
    // crosspoints and the labels that differ.
    std::unique_ptr<ConfigBlock> edited;
    std::unique_ptr<ConfigBlock>
        cardsEdited;  // the frame's configuration with the show's cards; null when equal
    std::vector<Crosspoint> crosspoints;
    std::vector<ShowLabel> labelChanges;
    std::vector<std::int32_t> gainClears;  // channels whose input and output gains are cleared
    std::vector<DetectorRequest> detectorRequests;
    std::vector<PpmRequest> ppmRequests;  // its streams point into the show's frame
    std::vector<FlowRequest> flowRequests;

    bool Equal() const {
        return settings.empty() && cards.empty() && routes.empty() && labels.empty() && gains.empty() &&
               detectors.empty() && ppm.empty() && flows.empty();
    }

    // `network`: the file's own addresses count too; otherwise the frame keeps its own. `file`
    // names the show in a problem.
    static ShowComparison Of(const ShowFrame& show, std::string_view file, const LiveFrame& live,
                             bool network);
};

}  // namespace velmar
