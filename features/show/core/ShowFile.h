#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "device/DeviceState.h"
#include "device/files/FileReader.h"
#include "features/channeltools/core/ChannelToolsState.h"
#include "features/leveldetectors/core/LevelDetectorState.h"
#include "features/networkaudio/core/FlowTables.h"
#include "features/networkaudio/core/IpRouteTable.h"
#include "features/ppm/core/PpmStreamTable.h"
#include "features/routing/core/CrosspointTable.h"
#include "features/settings/core/CardRows.h"

namespace velmar {

// One settings line of a show: a key of the settings file and its value as that file writes it.
struct ShowSetting {
    std::string key;
    std::string value;  // UTF-8
    std::size_t line = 0;
};

struct ShowRoute {
    std::int32_t output = 0;
    std::int32_t input = 0;
    std::size_t line = 0;
};

struct ShowLabel {
    std::int32_t direction = 0;  // 0 input, 1 output, as the label words number them
    std::int32_t channel = 0;
    std::string bytes;  // the frame's 8-bit text
    std::size_t line = 0;
};

// The gain, phase and mute of one channel and direction, as the frame reports them.
struct ShowGain {
    std::int32_t direction = 0;
    std::int32_t channel = 0;
    GainEntry gain;
    std::size_t line = 0;
};

// The thresholds and enable of one level detector (its status is the frame's to report).
struct ShowDetector {
    std::int32_t direction = 0;
    std::int32_t channel = 0;
    DetectorThresholds thresholds;
    bool enabled = false;
    std::size_t line = 0;
};

// Orders a show's per-channel items (labels, gains, detectors) as a file lists them: inputs first,
// then by channel.
template <typename Item>
void SortByChannel(std::vector<Item>& items) {
    std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
        return a.direction != b.direction ? a.direction < b.direction : a.channel < b.channel;
    });
}

// A PPM meter stream: its settings, enable and the frame channel of each stream channel.
// Written {} where the show removes the stream (the undo of an apply that created it).
struct ShowPpmStream {
    PpmStream stream;
    bool removed = false;
    std::size_t line = 0;
};

// A Tx or Rx IP flow with the channels of its slots; written {} where the show removes it.
struct ShowFlow {
    bool transmit = false;
    std::int32_t flow = 0;
    FlowEntry entry;
    bool removed = false;
    std::size_t line = 0;
};

// An automatic IP route to the frame's network channel `channel`; {} where the show removes it.
struct ShowAutoRoute {
    std::int32_t channel = 0;
    IpRoute route;
    bool removed = false;
    std::size_t line = 0;
};

// One parameter of a card, by the card page's row name ("3:Phantom power") and entry ("on").
struct ShowCardRow {
    CardRow row;
    std::string value;
    std::size_t line = 0;
};

// The settings of the card in a slot, of the kind the show was saved from, in the page's row
// order; levels are the card's to report and are left out.
struct ShowCard {
    std::int32_t slot = 0;
    CardType kind = CardType::None;
    std::vector<ShowCardRow> rows;
    std::size_t line = 0;
};

// A section the frame offers only with a feature: whether the show has it, and where.
struct ShowSection {
    bool present = false;
    std::size_t line = 0;  // of its table
};

// What a connected frame holds, as the session and the units keep it; a section the frame does
// not offer is null.
struct LiveFrame {
    const DeviceState& state;
    const CrosspointTable& routes;
    std::int32_t channels = 0;
    std::int32_t firstLabel = 1;  // the first channel of the label, gain and detector lists
    bool cardSlots = false;
    const GainTables* gains = nullptr;
    const LevelDetectorTables* detectors = nullptr;
    const PpmStreamTable* ppm = nullptr;
    const FlowTables* flows = nullptr;
    const IpRouteTable* autoRoutes = nullptr;  // only where the frame has automatic routing
    // What the flow rules check a new flow against: the largest latency the frame takes and the
    // addresses a Tx flow must not go to.
    std::int32_t maxLatency = 0;
    std::vector<std::string> ownAddresses{};
};

// What a show holds for one frame, known by its serial number; name, address and channel count
// are written for the reader and for finding the frame, never sent.
struct ShowFrame {
    std::string serial;  // UTF-8, as the frame's bytes are shown
    std::string name;
    std::string address;
    std::int32_t channels = 0;
    std::size_t line = 0;               // of its table
    std::vector<ShowSetting> settings;  // in the settings file's order; empty when the file has none
    // Connected outputs, ascending; an input of 0 (written "") disconnects the output.
    std::vector<ShowRoute> routes;
    // Labels that are not empty, inputs then outputs, ascending; an empty one clears the label.
    std::vector<ShowLabel> labels;
    // Channels whose gain, phase or mute is set, or whose detector is set or enabled; inputs then
    // outputs, ascending. A channel left out is kept as the frame has it.
    ShowSection cardSection, gainSection, detectorSection, ppmSection, flowSection;
    std::vector<ShowCard> cards;  // by slot; a slot left out is kept
    std::vector<ShowGain> gains;
    std::vector<ShowDetector> detectors;
    std::vector<ShowPpmStream> ppm;  // by stream ID; a stream left out is kept
    std::vector<ShowFlow> flows;     // Tx then Rx, by ID
    std::vector<ShowAutoRoute> autoRoutes;
};

// The whole rack's configuration in one text that a person can read and review line by line:
// TOML, frames by serial number, one item per line in the frame's order, so that a change is one
// changed line.
struct ShowFile {
    static constexpr std::int64_t kFormat = 1;
    // Far beyond 250 frames of every route and label.
    static constexpr std::size_t kLargestFile = std::size_t{64} << 20;

    std::vector<ShowFrame> frames;  // by serial

    // What a connected frame holds now, as a show would keep it.
    static ShowFrame Capture(const LiveFrame& live, std::string_view address);

    // The settings file's lines of `config`, in that file's order.
    static std::vector<ShowSetting> SettingsOf(const ConfigBlock& config);

    std::string Text() const;
    // Empty on success, else the sentence naming the file and why it was not written.
    std::string Save(const std::string& path) const;

    // Reads a show; on refusal `problem` names `name` and the line ("rack.toml:12: ...") and
    // `frames` is empty.
    static ShowFile Parse(std::string_view text, std::string_view name, std::string& problem);
    static ShowFile Load(const std::string& path, std::string& problem);
};

}  // namespace velmar
