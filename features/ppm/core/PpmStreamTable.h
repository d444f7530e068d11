#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "features/ppm/core/PpmEvents.h"

namespace velmar {

// The frame's stream list names at most this many streams, and a new stream beyond it is refused.
inline constexpr std::size_t kMaxPpmStreams = 32;
// A stream carries up to 255 channels; every one of them has its assignment held.
inline constexpr std::int32_t kMaxPpmStreamChannels = 255;
inline constexpr std::uint32_t kLastPpmId = 65535;
inline constexpr std::int32_t kFirstPpmPort = 1000;
inline constexpr std::int32_t kLastPpmPort = 65535;
// A stream's rate in ms.
inline constexpr std::int32_t kFirstPpmRate = 10;
inline constexpr std::int32_t kLastPpmRate = 60000;

struct PpmStream {
    std::uint32_t id = 0;
    std::int32_t channels = 0;
    std::int32_t rate = 0;
    std::int32_t phase = 0;
    std::int32_t port = 0;
    std::string address;
    bool enabled = false;
    std::array<std::int32_t, kMaxPpmStreamChannels> assigned{};  // stream channel c at [c - 1]

    // The frame channels of stream channels 1..channels, joined with "," (no blank).
    std::string AssignmentText() const;
};

// What the frame reported of its PPM streams, in the order they first arrived. A frame holds at
// most 32, so that is all that is held: a frame reporting streams without end must not grow the
// table, the windows' rows or the assignment requests made per stream. Reports of further streams
// are ignored and counted, so that the owner can note it in the event log once.
class PpmStreamTable {
  public:
    // False when nothing is stored (an empty address, or a new stream beyond the 32).
    bool Apply(const PpmStreamReported& report);
    // Reports of new streams ignored because 32 were held, since the last Clear().
    std::size_t Ignored() const { return ignored_; }
    bool Remove(std::uint32_t id);
    bool SetEnabled(std::uint32_t id, bool enabled);
    bool Assign(const PpmAssignmentReported& report);
    void Clear() {
        streams_.clear();
        ignored_ = 0;
    }

    const PpmStream* Find(std::uint32_t id) const;
    const std::vector<PpmStream>& Streams() const { return streams_; }
    bool Full() const { return streams_.size() >= kMaxPpmStreams; }

  private:
    PpmStream* Lookup(std::uint32_t id);

    std::vector<PpmStream> streams_;
    std::size_t ignored_ = 0;
};

// The event log's note of the first stream report beyond the 32.
std::string PpmStreamsBeyondBoundNote();

// The ID and port a quick "Create" uses next; they advance after each creation and stop at
// their last value rather than wrapping or passing it.
struct PpmNextStream {
    std::uint32_t id = 1;
    std::int32_t port = 10100;
    std::string address = "10.0.0.152";

    void Advance();
};

struct PpmChannelAssignment {
    std::int32_t streamChannel = 0;
    std::int32_t frameChannel = 0;
};

// The assignments "Assign channels" sends to one stream: `count` channels from `firstChannel`,
// no more than the stream has (`streamChannels`, 0 when the stream is unknown); frame channel
// 0 for every one when deassigning.
std::vector<PpmChannelAssignment> PpmAssignments(std::int32_t count, std::int32_t firstChannel,
                                                 std::int32_t streamChannels, bool deassign);

}  // namespace velmar
