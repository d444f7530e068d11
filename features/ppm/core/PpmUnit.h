#pragma once

#include <cstdint>
#include <string_view>

#include "device/features/FeatureContext.h"

namespace velmar {

// What a new PPM stream is made of.
struct PpmNewStream {
    std::string_view address;
    std::int32_t port = 0;
    std::uint32_t id = 0;
    std::int32_t channels = 0;
    std::int32_t rate = 0;
    std::int32_t phase = 0;
};

// PPM meter streams: the frame's list of streams, each stream's settings, enable flag and
// channel assignment. Kept apart from the level detectors: the two share nothing but a menu.
class PpmUnit {
  public:
    explicit PpmUnit(FeatureContext& context);

    // lppmid; its answer asks gppminfo for every listed stream.
    void Streams();
    void StreamInfo(std::uint32_t id);
    RequestProblem Create(const PpmNewStream& stream);
    void Delete(std::uint32_t id);
    void Enable(std::uint32_t id, bool enabled);
    void Assign(std::uint32_t id, std::int32_t streamChannel, std::int32_t frameChannel);
    // Asks for one stream channel's assignment: the extended form on frames above 1024 channels.
    void Assignment(std::uint32_t id, std::int32_t streamChannel);

  private:
    void OnIdList(const CommandMessage& m);
    void OnInfo(const CommandMessage& m);
    void OnEnable(const CommandMessage& m);
    void OnAssignment(const CommandMessage& m);
    void Refused(const CommandMessage& m);

    FeatureContext& context_;
};

}  // namespace velmar
