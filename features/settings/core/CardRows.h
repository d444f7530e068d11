#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "device/DeviceState.h"

namespace velmar {

// A MADI card's mode: which of its interfaces the card runs.
constexpr std::uint16_t kCardModeMadi = 1;
constexpr std::uint16_t kCardModeHotlink = 2;

// One entry of a card row's drop-down list and the value it stands for.
struct CardChoice {
    std::string_view text;
    std::int32_t value = 0;
};

enum class CardParam : std::uint8_t {
    Embedder,
    TxSampleRate,
    TxEmbedderMode,
    RxSrcGroup,
    AdMode,
    AdState,
    PhantomPower,
    Phase,
    MicClippingLevel,
    LineClippingLevel,
    MaxOutputLevel,
    DaState,
    DsdFilter,
    AesRxSrc,
    InterfaceType,
    SfpRedundancy,
    RedundancyMode,
    InputMode,
    OutputMode,
    OutputChannelStatus,
    OutputChannelCount,
    OutputDsdMode,
};

// One row of the card parameter grid: what it edits and where in the card.
struct CardRow {
    CardParam param = CardParam::Embedder;
    std::int32_t index = 0;  // channel 1..8 or port/group block 1..2; 0: the whole card ("both")
    std::int32_t group = 0;  // SDI audio group 1..4, else 0
    friend bool operator==(const CardRow&, const CardRow&) = default;
};

// The grid's rows for a card of this kind, in grid order; none for a kind the page does not know.
std::vector<CardRow> CardRows(CardType kind);

std::string RowChannelText(const CardRow& row);    // "1" .. "8", "both"
std::string RowParameterText(const CardRow& row);  // "Tx embedder mode group 3"
// The row's name where a row is named in one word: "3:Phantom power", "both:Interface type".
std::string RowName(const CardRow& row);
// The row of `kind` whose name is `name` (letter case aside).
std::optional<CardRow> FindCardRow(CardType kind, std::string_view name);

// What the row shows for the card as it stands: the entry of its value, a level text, or
// nothing where the card's mode gives the row no meaning. A value the page has no entry for
// shows as its number.
std::string RowValueText(const CardRow& row, const CardRecord& card);
// The entries the row can be set to for the card as it stands; none when it cannot be edited.
std::span<const CardChoice> RowChoices(const CardRow& row, const CardRecord& card);
bool RowEditable(const CardRow& row, const CardRecord& card);
// Stores the entry named `text` into the card. A text that is none of the row's entries, or a
// row that cannot be edited now, leaves the card as it was (false).
bool StoreRowText(const CardRow& row, std::string_view text, CardRecord& card);

// "-12.05": an optional minus, the whole part, a point and two digits of hundredths.
std::string LevelText(const FixedValue& level);
// "AD converter" ...; empty for a card the page does not know.
std::string_view CardDescription(CardType kind);

// The kind of card the page edits in `slot` (1..8): the one fitted there, when its record agrees.
// A board the page does not know, an empty slot or a record of another kind give None: shown,
// never edited.
CardType EditableCardKind(const ConfigBlock& config, std::int32_t slot);

}  // namespace velmar
