#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "protocol/CommandMessage.h"

namespace velmar {

#define VELMAR_COMMAND(word, ...) word,
// Numbered in table order, so that CommandCode::gcross is the code sent on the wire for "gcross".
enum class CommandCode : std::uint16_t {
#include "protocol/CommandList.inc"
};
#undef VELMAR_COMMAND

inline constexpr std::size_t kCommandCount = 179;
inline constexpr std::uint16_t kFailedParseCode = 179;  // a line that could not be read
inline constexpr std::size_t kMaxWordLength = 24;

constexpr std::uint16_t ToCode(CommandCode code) {
    return static_cast<std::uint16_t>(code);
}

enum class ArgType : std::uint8_t { Int, Uint, Fixed, Text, Raw, Skip };

struct ArgField {
    ArgType type = ArgType::Int;
    std::uint16_t offset = 0;
    std::uint16_t size = 0;  // bytes in the record: 4, 8, or N for textN and rawN
};

inline constexpr std::size_t kMaxLayoutFields = 10;

// The arguments of one direction of a command, in wire order.
struct ArgLayout {
    std::array<ArgField, kMaxLayoutFields> fields{};
    std::uint8_t count = 0;
    std::uint8_t unconditional = 0;  // fields read whatever the status; the rest need status 0

    constexpr std::span<const ArgField> All() const { return {fields.data(), count}; }
    constexpr std::span<const ArgField> Unconditional() const { return {fields.data(), unconditional}; }
    constexpr std::span<const ArgField> WithStatusZero() const {
        return {fields.data() + unconditional, static_cast<std::size_t>(count - unconditional)};
    }
};

// Rows whose reading or writing goes beyond the plain layout.
enum class Special : std::uint8_t {
    None,
    KeepAlive,         // aliverequest: keep-alive flag, status forced to 0
    FirmwareLine,      // sprog: with int:14 = 1 the image text follows "#" after the arguments
    BoardConfig,       // ghwconf: board fields only for positions 2, 3 and 9..20
    SoftwareVersions,  // gswver: up to four name/version pairs
    ShortRawFields,    // scmd: each raw field ends with a zero before writing
};

// Which codec list buffer a list reply fills. The count is the last leading word of the reply
// and, where there is one, the first channel the word before it.
enum class ListKind : std::uint8_t {
    None,
    Crosspoint,
    SyncPriority,
    InputStatus,
    Label,
    LevelDetector,
    PpmId
};

struct ByteRange {
    std::uint16_t first = 0;
    std::uint16_t last = 0;
    constexpr bool Empty() const { return first == 0 && last == 0; }
};

struct CommandInfo {
    std::string_view word;
    ArgLayout request;
    ArgLayout reply;
    ByteRange clearBeforeReply;
    ListKind list = ListKind::None;
    Special special = Special::None;
};

enum class CommandKind : std::uint8_t { Get, Set, List, Other };

namespace layout_detail {

constexpr bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

constexpr std::uint16_t ParseNumber(std::string_view text, std::size_t& pos) {
    if (pos >= text.size() || !IsDigit(text[pos]))
        throw "layout: number expected";
    std::uint16_t value = 0;
    while (pos < text.size() && IsDigit(text[pos])) {
        value = static_cast<std::uint16_t>(value * 10 + (text[pos++] - '0'));
    }
    return value;
}

constexpr ArgField ParseField(std::string_view item) {
    std::size_t pos = 1;
    switch (item[0]) {
        case 'i':
            return {ArgType::Int, ParseNumber(item, pos), 4};
        case 'u':
            return {ArgType::Uint, ParseNumber(item, pos), 4};
        case 'f':
            return {ArgType::Fixed, ParseNumber(item, pos), 8};
        case 't':
        case 'r': {
            const std::uint16_t size = ParseNumber(item, pos);
            if (pos >= item.size() || item[pos] != ':')
                throw "layout: size:offset expected";
            ++pos;
            return {item[0] == 't' ? ArgType::Text : ArgType::Raw, ParseNumber(item, pos), size};
        }
        case '_':
            return {ArgType::Skip, 0, 0};
        default:
            throw "layout: unknown field type";
    }
}

constexpr ArgLayout ParseLayout(std::string_view text) {
    ArgLayout layout;
    bool split = false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] == ' ') {
            ++pos;
            continue;
        }
        const std::size_t end = text.find(' ', pos);
        const std::string_view item = text.substr(pos, end == std::string_view::npos ? text.npos : end - pos);
        pos += item.size();
        if (item == "|") {
            layout.unconditional = layout.count;
            split = true;
            continue;
        }
        if (layout.count == kMaxLayoutFields)
            throw "layout: too many fields";
        const ArgField field = ParseField(item);
        if (field.type != ArgType::Skip &&
            (field.offset < kArgumentOffset || field.offset + field.size > kMessageSize)) {
            throw "layout: field outside the record";
        }
        layout.fields[layout.count++] = field;
    }
    if (!split)
        layout.unconditional = layout.count;
    return layout;
}

struct Extras {
    ByteRange clear;
    ListKind list = ListKind::None;
    Special special = Special::None;
};
constexpr void Apply(Extras&) {}
template <typename First, typename... Rest>
constexpr void Apply(Extras& extras, First first, Rest... rest) {
    first(extras);
    Apply(extras, rest...);
}
constexpr auto Clear(std::uint16_t first, std::uint16_t last) {
    return [=](Extras& e) { e.clear = {first, last}; };
}
constexpr auto List(ListKind kind) {
    return [=](Extras& e) { e.list = kind; };
}
constexpr auto Shape(Special special) {
    return [=](Extras& e) { e.special = special; };
}

template <typename... Modifiers>
constexpr CommandInfo Row(std::string_view word, std::string_view request, std::string_view reply,
                          Modifiers... modifiers) {
    Extras extras;
    Apply(extras, modifiers...);
    return {word, ParseLayout(request), ParseLayout(reply), extras.clear, extras.list, extras.special};
}

#define VELMAR_COMMAND(word, ...) Row(#word, __VA_ARGS__),
inline constexpr std::array<CommandInfo, kCommandCount> kTable = {
#include "protocol/CommandList.inc"
};
#undef VELMAR_COMMAND

}  // namespace layout_detail

inline constexpr const std::array<CommandInfo, kCommandCount>& kCommandTable = layout_detail::kTable;

constexpr bool IsCommand(std::uint16_t code) {
    return code < kCommandCount;
}
constexpr const CommandInfo& Command(CommandCode code) {
    return kCommandTable[ToCode(code)];
}
constexpr const CommandInfo& Command(std::uint16_t code) {
    return kCommandTable[code];
}
constexpr std::string_view WordOf(CommandCode code) {
    return Command(code).word;
}

constexpr CommandKind KindOf(CommandCode code) {
    switch (WordOf(code).front()) {
        case 'g':
            return CommandKind::Get;
        case 's':
            return CommandKind::Set;
        case 'l':
            return CommandKind::List;
        default:
            return CommandKind::Other;
    }
}

// Code of a word by exact match; a linear scan, for tools and tests. The codec keeps its own
// sorted index for the reading path.
constexpr std::optional<CommandCode> FindCommand(std::string_view word) {
    for (std::size_t i = 0; i < kCommandCount; ++i) {
        if (kCommandTable[i].word == word)
            return static_cast<CommandCode>(i);
    }
    return std::nullopt;
}

static_assert(kCommandTable.size() == kCommandCount);
static_assert(ToCode(CommandCode::aliverequest) == 0 && ToCode(CommandCode::error) == 1);
static_assert(ToCode(CommandCode::sprog) == 2 && ToCode(CommandCode::sloadapp) == 6);
static_assert(ToCode(CommandCode::gsystemdelay) == 7 && ToCode(CommandCode::gcifstatus) == 99);
static_assert(ToCode(CommandCode::scmd) == 100 && ToCode(CommandCode::schlinkoutmode) == 169);
static_assert(ToCode(CommandCode::lcross) == 170 && ToCode(CommandCode::lppmid) == 178);
static_assert(ToCode(CommandCode::gcross) == 40 && ToCode(CommandCode::scross) == 126);

}  // namespace velmar
