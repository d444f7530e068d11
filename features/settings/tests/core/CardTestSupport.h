#pragma once

#include <string_view>

#include "device/DeviceState.h"

namespace velmar::test {

// Fits a card in `slot` as the frame would report it: a board in position slot + 8 and a record
// of the same kind.
inline void FitCard(ConfigBlock& config, std::int32_t slot, CardType kind, std::string_view code) {
    BoardConfig& board = config.hwConf[static_cast<std::size_t>(slot + 7)];
    board.boardType = 1;
    board.boardCode.Assign(code);
    config.cards[static_cast<std::size_t>(slot - 1)].kind = kind;
}

inline CardRecord Record(CardType kind) {
    CardRecord card;
    card.kind = kind;
    return card;
}

inline CardRecord& Card(ConfigBlock& config, std::int32_t slot) {
    return config.cards[static_cast<std::size_t>(slot - 1)];
}

}  // namespace velmar::test
