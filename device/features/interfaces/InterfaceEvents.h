#pragma once

namespace velmar {

// Which interfaces the frame routes changed (a card's or an SFP module's mode, redundancy, the
// MADI output mode): routing type selectors are built again.
struct ChannelLayoutChanged {};

}  // namespace velmar
