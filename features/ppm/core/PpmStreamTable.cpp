#include "features/ppm/core/PpmStreamTable.h"

#include <algorithm>

namespace velmar {

std::string PpmStream::AssignmentText() const {
    std::string text;
    const std::int32_t shown = std::clamp(channels, 0, kMaxPpmStreamChannels);
    for (std::int32_t c = 0; c < shown; ++c) {
        if (c > 0)
            text += ',';
        text += std::to_string(assigned[static_cast<std::size_t>(c)]);
    }
    return text;
}

PpmStream* PpmStreamTable::Lookup(std::uint32_t id) {
    const auto it =
        std::find_if(streams_.begin(), streams_.end(), [id](const PpmStream& s) { return s.id == id; });
    return it == streams_.end() ? nullptr : &*it;
}

const PpmStream* PpmStreamTable::Find(std::uint32_t id) const {
    const auto it =
        std::find_if(streams_.begin(), streams_.end(), [id](const PpmStream& s) { return s.id == id; });
    return it == streams_.end() ? nullptr : &*it;
}

bool PpmStreamTable::Apply(const PpmStreamReported& report) {
    if (report.id == 0 || report.address.empty())
        return false;
    PpmStream* stream = Lookup(report.id);
    if (stream == nullptr) {
        if (Full()) {
            ++ignored_;
            return false;
        }
        stream = &streams_.emplace_back();
        stream->id = report.id;
    }
    stream->channels = report.channels;
    stream->rate = report.rate;
    stream->phase = report.phase;
    stream->port = report.port;
    stream->address = report.address;
    stream->enabled = report.enabled.value_or(false);
    return true;
}

bool PpmStreamTable::Remove(std::uint32_t id) {
    const auto it =
        std::find_if(streams_.begin(), streams_.end(), [id](const PpmStream& s) { return s.id == id; });
    if (it == streams_.end())
        return false;
    streams_.erase(it);
    return true;
}

bool PpmStreamTable::SetEnabled(std::uint32_t id, bool enabled) {
    PpmStream* stream = Lookup(id);
    if (stream == nullptr)
        return false;
    stream->enabled = enabled;
    return true;
}

bool PpmStreamTable::Assign(const PpmAssignmentReported& report) {
    PpmStream* stream = Lookup(report.id);
    if (stream == nullptr || report.streamChannel < 1 || report.streamChannel > kMaxPpmStreamChannels)
        return false;
    stream->assigned[static_cast<std::size_t>(report.streamChannel - 1)] = report.frameChannel;
    return true;
}

std::string PpmStreamsBeyondBoundNote() {
    return "The frame reported more than " + std::to_string(kMaxPpmStreams) +
           " PPM streams; the streams beyond them are ignored.";
}

void PpmNextStream::Advance() {
    if (id < kLastPpmId)
        ++id;
    if (port < kLastPpmPort)
        ++port;
}

std::vector<PpmChannelAssignment> PpmAssignments(std::int32_t count, std::int32_t firstChannel,
                                                 std::int32_t streamChannels, bool deassign) {
    const std::int32_t n =
        std::clamp(streamChannels > 0 ? std::min(count, streamChannels) : count, 0, kMaxPpmStreamChannels);
    std::vector<PpmChannelAssignment> assignments;
    assignments.reserve(static_cast<std::size_t>(n));
    for (std::int32_t i = 1; i <= n; ++i)
        assignments.push_back({i, deassign ? 0 : firstChannel + i - 1});
    return assignments;
}

}  // namespace velmar
