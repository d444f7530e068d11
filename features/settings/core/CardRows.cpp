#include "features/settings/core/CardRows.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "device/DeviceModel.h"
#include "device/FieldBindings.h"

namespace velmar {

namespace {

using C = CommandCode;
using P = CardParam;

constexpr std::array<CardChoice, 2> kCardEnable{{{"disable", 0}, {"enable", 1}}};
constexpr std::array<CardChoice, 2> kCardMute{{{"unmute", 0}, {"mute", 1}}};
constexpr std::array<CardChoice, 2> kCardPower{{{"off", 0}, {"on", 1}}};
constexpr std::array<CardChoice, 2> kCardPhase{{{"normal", 0}, {"invert", 1}}};
constexpr std::array<CardChoice, 2> kCardInputMode{{{"line", 0}, {"mic", 1}}};
constexpr std::array<CardChoice, 3> kCardTxRate{{{"48 kHz", 0}, {"44.1 kHz", 1}, {"32 kHz", 2}}};
constexpr std::array<CardChoice, 5> kCardEmbedderMode{
    {{"remove", 0}, {"pass", 1}, {"insert sync", 2}, {"insert async", 3}, {"use SRC", 4}}};
constexpr std::array<CardChoice, 3> kCardInterfaceType{{{"disabled", 0}, {"madi", 1}, {"hotlink", 2}}};
constexpr std::array<CardChoice, 3> kCardRedundancyMode{
    {{"automatic", 0}, {"sfp 1 active", 1}, {"sfp 2 active", 2}}};
constexpr std::array<CardChoice, 2> kCardMadiInput{{{"auto", 0}, {"as internal", 1}}};
constexpr std::array<CardChoice, 2> kCardMadiFrameRate{{{"high", 0}, {"legacy", 1}}};
constexpr std::array<CardChoice, 2> kCardHotlinkMode{{{"internal", 0}, {"external", 1}}};
constexpr std::array<CardChoice, 2> kCardChannelStatus{{{"transparent", 0}, {"default", 1}}};
constexpr std::array<CardChoice, 2> kCardChannelCount{{{"56 ch", 0}, {"64 ch", 1}}};
constexpr std::array<CardChoice, 2> kCardDsdMode{{{"native", 0}, {"dsd over pcm", 1}}};

// When a row can be edited, besides having entries at all.
enum class Rule : std::uint8_t {
    Always,
    AdBoardTypeSet,  // the AD board type is not 0
    Level,           // shown only
    MadiPort,        // the card is in MADI mode
    MadiOrHotlink,   // MADI mode, or Hotlink mode on port 1
};

// A row kind: its title, the card field binding it shows and edits (set word and position),
// and in Hotlink mode the binding that takes its place.
struct RowLayout {
    P param;
    std::string_view title;
    C set;
    std::uint16_t pos;
    std::span<const CardChoice> choices;
    Rule rule = Rule::Always;
    C hotlinkSet = C::error;
    std::uint16_t hotlinkPos = 0;
};

constexpr std::array kLayouts{
    RowLayout{P::Embedder, "Embedder", C::sembena, 26, kCardEnable},
    RowLayout{P::TxSampleRate, "Tx sample rate", C::stxsrcrate, 26, kCardTxRate},
    RowLayout{P::TxEmbedderMode, "Tx embedder mode group ", C::sembmode, 26, kCardEmbedderMode},
    RowLayout{P::RxSrcGroup, "Rx SRC group ", C::srxsrcena, 26, kCardEnable},
    RowLayout{P::AdMode, "Mode", C::sadinpmode, 22, kCardInputMode, Rule::AdBoardTypeSet},
    RowLayout{P::AdState, "State", C::sadmute, 22, kCardMute},
    RowLayout{P::PhantomPower, "Phantom power", C::sadphanpow, 22, kCardPower, Rule::AdBoardTypeSet},
    RowLayout{P::Phase, "Phase", C::sadphase, 22, kCardPhase},
    RowLayout{P::MicClippingLevel, "Mic clipping level", C::sadmiclevel, 22, {}, Rule::Level},
    RowLayout{P::LineClippingLevel, "Line clipping level", C::sadlinelevel, 22, {}, Rule::Level},
    RowLayout{P::MaxOutputLevel, "Max output level", C::sdaoutlevel, 22, {}, Rule::Level},
    RowLayout{P::DaState, "State", C::sdamute, 22, kCardMute},
    RowLayout{P::DsdFilter, "DSD filter", C::sdadsdfilter, 22, kCardEnable},
    RowLayout{P::AesRxSrc, "Rx SRC", C::saesrxsrcena, 22, kCardEnable},
    RowLayout{P::InterfaceType, "Interface type", C::scifmode, 18, kCardInterfaceType},
    RowLayout{P::SfpRedundancy, "SFP redundancy", C::scifred, 18, kCardEnable},
    RowLayout{P::RedundancyMode, "Redundancy mode", C::scifred, 22, kCardRedundancyMode},
    RowLayout{P::InputMode, "Input mode / sample rate", C::scmadiinmode, 22, kCardMadiInput,
              Rule::MadiOrHotlink, C::schlinkinmode, 18},
    RowLayout{P::OutputMode, "Output mode / frame rate", C::scmadioutmode, 30, kCardMadiFrameRate,
              Rule::MadiOrHotlink, C::schlinkoutmode, 18},
    RowLayout{P::OutputChannelStatus, "Output channel status", C::scmadioutmode, 26, kCardChannelStatus,
              Rule::MadiPort},
    RowLayout{P::OutputChannelCount, "Output channel count", C::scmadioutmode, 34, kCardChannelCount,
              Rule::MadiPort},
    RowLayout{P::OutputDsdMode, "Output DSD mode", C::scmadidsdmode, 38, kCardDsdMode, Rule::MadiPort},
};

const RowLayout& Layout(P param) {
    return *std::find_if(kLayouts.begin(), kLayouts.end(),
                         [param](const RowLayout& l) { return l.param == param; });
}

// What a row of the MADI card shows: which port's block, and whether the mode gives it a value.
struct MadiView {
    std::int32_t port = 0;
    bool shown = false;
    bool hotlink = false;
};

MadiView ViewOf(const CardRow& row, const CardRecord& card) {
    // With redundancy on, the second port carries the first one's signal and shows its settings.
    const bool mirrored = card.madi.redundancyEnable != 0 && card.mode != 0;
    MadiView view{mirrored ? 1 : row.index};
    const Rule rule = Layout(row.param).rule;
    if (card.mode == kCardModeMadi) {
        view.shown = true;
    } else if (card.mode == kCardModeHotlink && rule == Rule::MadiOrHotlink) {
        view.shown = view.port == 1;
        view.hotlink = true;
    }
    return view;
}

bool IsMadiPortRow(const CardRow& row) {
    const Rule rule = Layout(row.param).rule;
    return rule == Rule::MadiPort || rule == Rule::MadiOrHotlink;
}

// The binding a row reads and writes now, with the entry it addresses (0-based).
struct BoundField {
    const CardFieldBinding* binding = nullptr;
    std::size_t entry = 0;
    std::size_t group = 0;
    std::span<const CardChoice> choices;
};

const CardFieldBinding* FindBinding(C set, std::uint16_t pos) {
    for (const CardFieldBinding& field : CardFieldBindings()) {
        if (field.set == set && field.pos == pos)
            return &field;
    }
    return nullptr;
}

std::size_t Zero(std::int32_t oneBased) {
    return oneBased > 0 ? static_cast<std::size_t>(oneBased - 1) : 0;
}

// Nothing when the card's mode gives the row no field (a MADI port row of a disabled card).
std::optional<BoundField> FieldOf(const CardRow& row, const CardRecord& card) {
    const RowLayout& layout = Layout(row.param);
    C set = layout.set;
    std::uint16_t pos = layout.pos;
    std::span<const CardChoice> choices = layout.choices;
    std::int32_t index = row.index;
    if (IsMadiPortRow(row)) {
        const MadiView view = ViewOf(row, card);
        if (!view.shown)
            return std::nullopt;
        index = view.port;
        if (view.hotlink) {
            set = layout.hotlinkSet;
            pos = layout.hotlinkPos;
            choices = kCardHotlinkMode;
        }
    }
    const CardFieldBinding* binding = FindBinding(set, pos);
    if (binding == nullptr)
        return std::nullopt;
    BoundField field{binding, 0, 0, choices};
    if (binding->index != CardIndex::Card)
        field.entry = Zero(index);
    if (binding->index == CardIndex::PortAndGroup)
        field.group = Zero(row.group);
    return field;
}

CommandMessage Saved(const BoundField& field, const CardRecord& card) {
    CommandMessage message;
    field.binding->save(card, field.entry, field.group, message, field.binding->pos);
    return message;
}

bool Lower(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

void AddBlock(std::vector<CardRow>& rows, std::int32_t index, std::initializer_list<P> params) {
    for (P param : params)
        rows.push_back({param, index, 0});
}

}  // namespace

std::vector<CardRow> CardRows(CardType kind) {
    std::vector<CardRow> rows;
    switch (kind) {
        case CardType::Sdi:
            for (std::int32_t port = 1; port <= 2; ++port) {
                AddBlock(rows, port, {P::Embedder, P::TxSampleRate});
                for (std::int32_t group = 1; group <= 4; ++group)
                    rows.push_back({P::TxEmbedderMode, port, group});
                for (std::int32_t group = 1; group <= 4; ++group)
                    rows.push_back({P::RxSrcGroup, port, group});
            }
            break;
        case CardType::Ad:
            for (std::int32_t ch = 1; ch <= 8; ++ch) {
                AddBlock(rows, ch,
                         {P::AdMode, P::AdState, P::PhantomPower, P::Phase, P::MicClippingLevel,
                          P::LineClippingLevel});
            }
            break;
        case CardType::Da:
            for (std::int32_t ch = 1; ch <= 8; ++ch)
                AddBlock(rows, ch, {P::MaxOutputLevel, P::DaState, P::DsdFilter});
            break;
        case CardType::Aes:
            for (std::int32_t ch = 1; ch <= 8; ++ch)
                AddBlock(rows, ch, {P::AesRxSrc});
            break;
        case CardType::MadiHotlink:
            AddBlock(rows, 0, {P::InterfaceType, P::SfpRedundancy, P::RedundancyMode});
            for (std::int32_t port = 1; port <= 2; ++port) {
                AddBlock(rows, port,
                         {P::InputMode, P::OutputMode, P::OutputChannelStatus, P::OutputChannelCount,
                          P::OutputDsdMode});
            }
            break;
        case CardType::None:
            break;
    }
    return rows;
}

std::string RowChannelText(const CardRow& row) {
    return row.index == 0 ? std::string("both") : std::to_string(row.index);
}

std::string RowParameterText(const CardRow& row) {
    std::string text(Layout(row.param).title);
    if (row.group != 0)
        text += std::to_string(row.group);
    return text;
}

std::string RowName(const CardRow& row) {
    return RowChannelText(row) + ":" + RowParameterText(row);
}

std::optional<CardRow> FindCardRow(CardType kind, std::string_view name) {
    for (const CardRow& row : CardRows(kind)) {
        if (Lower(RowName(row), name))
            return row;
    }
    return std::nullopt;
}

std::string RowValueText(const CardRow& row, const CardRecord& card) {
    const std::optional<BoundField> field = FieldOf(row, card);
    if (!field)
        return {};
    const CommandMessage message = Saved(*field, card);
    if (Layout(row.param).rule == Rule::Level)
        return LevelText(message.Fixed(field->binding->pos));
    const std::int32_t value = message.Int(field->binding->pos);
    for (const CardChoice& choice : field->choices) {
        if (choice.value == value)
            return std::string(choice.text);
    }
    return std::to_string(value);
}

bool RowEditable(const CardRow& row, const CardRecord& card) {
    switch (Layout(row.param).rule) {
        case Rule::Always:
            return true;
        case Rule::AdBoardTypeSet:
            return card.mode != 0;
        case Rule::Level:
            return false;
        case Rule::MadiPort:
        case Rule::MadiOrHotlink: {
            // The mirrored port's rows are port 1's settings: they are edited there.
            const MadiView view = ViewOf(row, card);
            return view.shown && view.port == row.index;
        }
    }
    return false;
}

std::span<const CardChoice> RowChoices(const CardRow& row, const CardRecord& card) {
    if (!RowEditable(row, card))
        return {};
    const std::optional<BoundField> field = FieldOf(row, card);
    return field ? field->choices : std::span<const CardChoice>{};
}

bool StoreRowText(const CardRow& row, std::string_view text, CardRecord& card) {
    const std::optional<BoundField> field = FieldOf(row, card);
    if (!field)
        return false;
    for (const CardChoice& choice : RowChoices(row, card)) {
        if (choice.text != text)
            continue;
        // Through the binding, as a reply would store it: the DA card's one DSD filter lands
        // in every channel's entry, so each row shows the card's one setting.
        CommandMessage message = Saved(*field, card);
        message.SetInt(field->binding->pos, choice.value);
        field->binding->load(card, field->entry, field->group, message, field->binding->pos);
        return true;
    }
    return false;
}

std::string LevelText(const FixedValue& level) {
    return (level.negative ? "-" : "") + std::to_string(level.whole) + "." +
           (level.hundredths < 10 ? "0" : "") + std::to_string(level.hundredths);
}

std::string_view CardDescription(CardType kind) {
    static constexpr std::array<std::string_view, 6> kDescriptions{"",
                                                                   "SDI emb-/deembedder with SRC",
                                                                   "AD converter",
                                                                   "DA converter",
                                                                   "AES with SRC",
                                                                   "MADI dual / Hotlink"};
    const auto n = static_cast<std::size_t>(kind);
    return n < kDescriptions.size() ? kDescriptions[n] : std::string_view{};
}

CardType EditableCardKind(const ConfigBlock& config, std::int32_t slot) {
    if (slot < 1 || slot > static_cast<std::int32_t>(kCardSlots))
        return CardType::None;
    const BoardConfig& board = config.hwConf[static_cast<std::size_t>(slot + 7)];
    const CardType fitted = board.boardType > 0 ? CardTypeFromBoard(board) : CardType::None;
    return config.cards[static_cast<std::size_t>(slot - 1)].kind == fitted ? fitted : CardType::None;
}

}  // namespace velmar
