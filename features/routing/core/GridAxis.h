#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace velmar {

// One axis of the routing grid: the frame's channels grouped by interface (cards, AES, PHD,
// MADI, SFP, IP, the rest), each group a header line followed by its channels unless collapsed.
class GridAxis {
  public:
    struct Group {
        std::string name;  // "CARD1", "AES", "MADI" ...
        std::vector<std::int32_t> channels;
        bool collapsed = false;
    };
    struct Line {
        std::int32_t channel = 0;  // 0 on a group's header line
        std::int32_t group = 0;
    };

    // Groups for channels 1..channelCount; the collapsed state of groups kept by name.
    void Build(std::int32_t channelCount);
    // Groups for the given channels only (ascending), for a frame that offers no others.
    void Build(std::span<const std::int32_t> channels);
    void SetCollapsed(std::int32_t group, bool collapsed);

    const std::vector<Group>& Groups() const { return groups_; }
    const std::vector<Line>& Lines() const { return lines_; }
    // The line of `channel`, or -1 when it is outside the frame or its group is collapsed.
    std::int32_t LineOf(std::int32_t channel) const;
    // The line of `channel`'s group header, or -1.
    std::int32_t GroupLineOf(std::int32_t channel) const;

  private:
    void Lay();

    std::vector<Group> groups_;
    std::vector<Line> lines_;
    std::vector<std::int32_t> lineOf_;     // by channel, -1 when hidden
    std::vector<std::int32_t> groupOf_;    // by channel
    std::vector<std::int32_t> groupLine_;  // by group
};

}  // namespace velmar
