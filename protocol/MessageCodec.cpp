#include "protocol/MessageCodec.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace velmar {
namespace {

constexpr char kCarriageReturn = '\r';

// The comma-separated pieces of a line as views into it; empty pieces are skipped, and pieces past
// the store are only counted.
struct Pieces {
    const char* data;
    std::size_t begin;
    std::size_t none;  // "no position": the buffer's size
    std::span<std::string_view> store;
    std::size_t count = 0;
    std::size_t overflowAt = none;  // where the first piece that did not fit begins

    void End(std::size_t at) {
        if (at != begin) {
            if (count < store.size()) {
                store[count] = std::string_view(data + begin, at - begin);
            } else if (overflowAt == none) {
                overflowAt = begin;
            }
            ++count;
        }
        begin = at + 1;
    }
};

enum ByteClass : std::uint8_t { kOrdinary = 0, kComma = 1, kHash, kLineStart, kLineEnd };

constexpr std::array<ByteClass, 256> kByteClasses = [] {
    std::array<ByteClass, 256> classes{};
    for (const char c : {':', '&', '?', '%', '!'})
        classes[static_cast<unsigned char>(c)] = kLineStart;
    classes[static_cast<unsigned char>(kCarriageReturn)] = kLineEnd;
    classes[static_cast<unsigned char>(',')] = kComma;
    classes[static_cast<unsigned char>('#')] = kHash;
    return classes;
}();

ByteClass ClassOf(char c) {
    return kByteClasses[static_cast<unsigned char>(c)];
}

// The bytes the line scan stops at, sixteen at a time: commas in one mask, the rarer bytes in
// another (bit i is byte i). SSE2 is part of every x86-64; elsewhere the byte table serves.
constexpr std::size_t kBlockSize = 16;

struct BlockMasks {
    std::uint32_t commas = 0;
    std::uint32_t rare = 0;
};

inline BlockMasks ScanBlock(const char* bytes, std::size_t length) {
#if defined(__SSE2__)
    if (length == kBlockSize) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
        auto is = [&](char c) { return _mm_cmpeq_epi8(block, _mm_set1_epi8(c)); };
        const __m128i rare = _mm_or_si128(
            _mm_or_si128(_mm_or_si128(is(kCarriageReturn), is('#')), _mm_or_si128(is(':'), is('&'))),
            _mm_or_si128(_mm_or_si128(is('?'), is('%')), is('!')));
        return {static_cast<std::uint32_t>(_mm_movemask_epi8(is(','))),
                static_cast<std::uint32_t>(_mm_movemask_epi8(rare))};
    }
#endif
    BlockMasks masks;
    for (std::size_t i = 0; i < length; ++i) {
        const ByteClass byteClass = ClassOf(bytes[i]);
        masks.commas |= std::uint32_t{byteClass == kComma} << i;
        masks.rare |= std::uint32_t{byteClass > kComma} << i;
    }
    return masks;
}

// Words are found through an open-addressing hash built at compile time from the command table:
// the first eight bytes and the length pick a slot, and a word is compared whole only where both
// agree, so a lookup costs a multiply and usually one probe.
constexpr std::size_t kWordSlotBits = 9;
constexpr std::size_t kWordSlots = std::size_t{1} << kWordSlotBits;
static_assert(kWordSlots >= 2 * kCommandCount, "keep the word hash at most half full");

constexpr std::uint64_t WordKey(std::string_view word) {
    std::uint64_t key = 0;
    const std::size_t n = word.size() < 8 ? word.size() : 8;
    for (std::size_t i = 0; i < n; ++i)
        key |= static_cast<std::uint64_t>(static_cast<unsigned char>(word[i])) << (8 * i);
    return key;
}

constexpr std::size_t WordSlotOf(std::uint64_t key, std::size_t length) {
    const std::uint64_t mixed = (key ^ (std::uint64_t{length} << 56)) * 0x9E3779B97F4A7C15ull;
    return mixed >> (64 - kWordSlotBits);
}

struct WordSlot {
    std::uint64_t key = 0;   // bytes 0..7
    std::uint64_t tail = 0;  // bytes 8..15
    std::uint16_t code = 0;
    std::uint8_t length = 0;  // 0: empty
};

constexpr std::array<WordSlot, kWordSlots> kWordSlotTable = [] {
    std::array<WordSlot, kWordSlots> slots{};
    for (std::uint16_t code = 0; code < kCommandCount; ++code) {
        const std::string_view word = kCommandTable[code].word;
        const std::uint64_t key = WordKey(word);
        std::size_t slot = WordSlotOf(key, word.size());
        bool duplicate = false;
        while (slots[slot].length != 0 && !duplicate) {
            duplicate = kCommandTable[slots[slot].code].word == word;  // the first code keeps a word
            slot = (slot + 1) & (kWordSlots - 1);
        }
        if (!duplicate)
            slots[slot] = {key, WordKey(word.substr(std::min<std::size_t>(8, word.size()))), code,
                           static_cast<std::uint8_t>(word.size())};
    }
    return slots;
}();

// `key` is WordKey(word); a word of 1..kMaxWordLength bytes.
[[gnu::always_inline]] inline std::optional<CommandCode> FindWord(std::string_view word, std::uint64_t key) {
    const std::uint64_t tail = word.size() > 8 ? WordKey(word.substr(8)) : 0;
    for (std::size_t slot = WordSlotOf(key, word.size());; slot = (slot + 1) & (kWordSlots - 1)) {
        const WordSlot& entry = kWordSlotTable[slot];
        if (entry.length == 0)
            return std::nullopt;
        if (entry.key == key && entry.tail == tail && entry.length == word.size() &&
            (word.size() <= 16 || kCommandTable[entry.code].word.substr(16) == word.substr(16))) {
            return static_cast<CommandCode>(entry.code);
        }
    }
}

// What a read of each word may write into a record beyond the fixed header, per side: the next
// read into the same record clears no further than that.
struct RecordExtents {
    std::array<std::uint16_t, kCommandCount> request{};
    std::array<std::uint16_t, kCommandCount> reply{};
};

constexpr std::uint16_t LayoutEnd(const ArgLayout& layout) {
    std::uint16_t end = 0;
    for (std::size_t i = 0; i < layout.count; ++i) {
        const ArgField& field = layout.fields[i];
        if (field.type != ArgType::Skip && field.offset + field.size > end)
            end = static_cast<std::uint16_t>(field.offset + field.size);
    }
    return end;
}

constexpr RecordExtents kRecordExtents = [] {
    RecordExtents extents;
    for (std::size_t code = 0; code < kCommandCount; ++code) {
        const CommandInfo& info = kCommandTable[code];
        std::uint16_t request = LayoutEnd(info.request);
        std::uint16_t reply = LayoutEnd(info.reply);
        if (!info.clearBeforeReply.Empty() && info.clearBeforeReply.last + 1 > reply)
            reply = static_cast<std::uint16_t>(info.clearBeforeReply.last + 1);
        if (info.special == Special::FirmwareLine)
            request = kMessageSize;
        if (info.special == Special::SoftwareVersions)
            reply = kReplyRecordSize;
        extents.request[code] = request;
        extents.reply[code] = reply;
    }
    return extents;
}();

// Which layouts hold numbers only, per side: those are read without a branch on each field's kind.
struct NumbersOnly {
    std::array<bool, kCommandCount> request{};
    std::array<bool, kCommandCount> reply{};
};

constexpr bool IntsOnly(const ArgLayout& layout) {
    for (std::size_t i = 0; i < layout.count; ++i) {
        if (layout.fields[i].type != ArgType::Int)
            return false;
    }
    return true;
}

constexpr NumbersOnly kNumbersOnly = [] {
    NumbersOnly numbers;
    for (std::size_t code = 0; code < kCommandCount; ++code) {
        numbers.request[code] = IntsOnly(kCommandTable[code].request);
        numbers.reply[code] = IntsOnly(kCommandTable[code].reply);
    }
    return numbers;
}();

// Which words the one-pass reader takes on each side: lines of numbers alone (integers, and
// fixed-point values where the layout has them), no special row, and a list (replies) only of
// numbers.
constexpr bool IsNumberListKind(ListKind kind) {
    return kind == ListKind::Crosspoint || kind == ListKind::SyncPriority || kind == ListKind::LevelDetector;
}

// The failure record sets int:14 and int:18.
constexpr std::size_t kFailureRecordEnd = 22;

enum class OnePass : std::uint8_t { No, Ints, IntsAndFixed };

// What the one-pass reader needs of a word on one side, in one place: the reading path's loads
// then come from one small row rather than from the command table's rows and the extent table.
struct OnePassRow {
    OnePass kind = OnePass::No;
    ListKind list = ListKind::None;  // replies only
    std::uint8_t fields = 0;         // fields with status 0 (requests: always)
    std::uint8_t unconditional = 0;  // fields whatever the status (replies)
    std::uint16_t extent = 0;        // how far a read may write into the record
    std::array<std::uint16_t, kMaxLayoutFields> offsets{};
};

constexpr OnePassRow OnePassRowOf(const CommandInfo& info, const ArgLayout& layout, bool reply,
                                  std::uint16_t extent) {
    OnePassRow row;
    const bool listAllowed = !reply || info.list == ListKind::None || IsNumberListKind(info.list);
    if (info.special != Special::None || !listAllowed)
        return row;
    bool fixed = false;
    for (std::size_t i = 0; i < layout.count; ++i) {
        const ArgType type = layout.fields[i].type;
        if (type != ArgType::Int && type != ArgType::Fixed)
            return row;
        fixed = fixed || type == ArgType::Fixed;
        row.offsets[i] = layout.fields[i].offset;
    }
    row.kind = fixed ? OnePass::IntsAndFixed : OnePass::Ints;
    row.list = reply ? info.list : ListKind::None;
    row.fields = static_cast<std::uint8_t>(layout.count);
    row.unconditional = static_cast<std::uint8_t>(reply ? layout.unconditional : layout.count);
    row.extent = static_cast<std::uint16_t>(std::max<std::size_t>(kFailureRecordEnd, extent));
    return row;
}

struct OnePassRows {
    std::array<OnePassRow, kCommandCount> request{};
    std::array<OnePassRow, kCommandCount> reply{};
};

constexpr OnePassRows kOnePass = [] {
    OnePassRows rows;
    for (std::size_t code = 0; code < kCommandCount; ++code) {
        const CommandInfo& info = kCommandTable[code];
        rows.request[code] = OnePassRowOf(info, info.request, false, kRecordExtents.request[code]);
        rows.reply[code] = OnePassRowOf(info, info.reply, true, kRecordExtents.reply[code]);
    }
    return rows;
}();

constexpr std::size_t kShortClear = 32;
static_assert(kShortClear >= kFailureRecordEnd && kShortClear <= kMessageSize);

// Clears the first `dirty` bytes of a record. Most lines set only the header and a field or two:
// the first 32 bytes are cleared with two plain stores, since the record's alignment of two makes
// the compiler's own clear a string instruction whose start-up costs more than the rest of a
// short line's read; a longer clear is a library call either way.
inline void ClearRecord(CommandMessage& message, std::size_t dirty) {
    std::uint8_t* const bytes = message.Bytes();
#if defined(__SSE2__)
    static_assert(kShortClear == 2 * sizeof(__m128i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes), _mm_setzero_si128());
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes + sizeof(__m128i)), _mm_setzero_si128());
#else
    std::memset(bytes, 0, kShortClear);
#endif
    if (dirty > kShortClear)
        std::memset(bytes + kShortClear, 0, dirty - kShortClear);
}

char DirectionCharacter(const CommandMessage& message, std::string_view word) {
    switch (message.flags & MessageFlags::kKindMask) {
        case MessageFlags::kRequest:
            return word.front() == 's' ? '&' : '?';
        case MessageFlags::kReply:
            return ':';
        default:
            return '%';
    }
}

std::uint8_t FlagsOf(char direction) {
    switch (direction) {
        case '&':
        case '?':
            return MessageFlags::kRequest;
        case ':':
            return MessageFlags::kReply;
        default:
            return 0;
    }
}

// Decimal digits only, between min and max of them, and nothing after.
bool ParseDigits(std::string_view token, std::size_t minDigits, std::size_t maxDigits, std::uint64_t& value) {
    if (token.size() < minDigits || token.size() > maxDigits)
        return false;
    value = 0;
    for (const char c : token) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return true;
}

[[gnu::always_inline]] inline bool ParseSigned(std::string_view token, std::uint64_t maxMagnitude,
                                               std::int32_t& value) {
    const bool negative = !token.empty() && token.front() == '-';
    if (negative)
        token.remove_prefix(1);
    std::uint64_t magnitude = 0;
    if (!ParseDigits(token, 1, 5, magnitude) || magnitude > maxMagnitude)
        return false;
    value = static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(magnitude)
                                               : static_cast<std::int64_t>(magnitude));
    return true;
}

// A fixed-point piece of a line read in one pass: its place among the pieces and its value. No
// member initialisers: the store of them is made for every line and must not be cleared each time.
struct FixedPiece {
    std::size_t piece;
    bool negative;
    std::uint16_t whole;
    std::uint16_t hundredths;
};

// The numbers after a line's word: each a comma, a sign and one to five digits, or a fixed-point
// value (whole part within 32767, then one or two digits of hundredths).
template <std::size_t kCapacity>
struct NumberPieces {
    std::array<std::int32_t, kCapacity> numbers;  // a fixed-point piece holds its signed whole part
    std::size_t count = 0;
    std::array<FixedPiece, kMaxLayoutFields> fixed;
    std::size_t fixedCount = 0;
};

// Reads the pieces from the comma at `p` (or none, where `p` is the line's end) and gives the
// line's carriage return, or null where a piece is no such number or there are more than the store
// holds. One step per byte, as the bytes come: a loop per piece would mispredict its exit wherever
// the numbers' lengths vary. Commas and the line's end come first, a sign or a point is rarer.
template <bool kCheckEnd, std::size_t kCapacity>
[[gnu::always_inline]] inline const char* ReadNumberList(const char* p, const char* end,
                                                         NumberPieces<kCapacity>& pieces) {
    if (*p != ',')
        return p;
    const char* piece = ++p;
    bool negative = false;
    std::uint32_t magnitude = 0;
    for (;;) {
        if (kCheckEnd && p == end)
            return nullptr;
        auto byte = static_cast<unsigned char>(*p);
        const std::uint32_t digit = static_cast<std::uint32_t>(byte) - '0';
        if (digit <= 9) {
            magnitude = magnitude * 10 + digit;
            ++p;
            continue;
        }
        if (byte != ',' && byte != kCarriageReturn) {
            if (byte == '-' && p == piece && !negative) {
                negative = true;
                piece = ++p;
                continue;
            }
            if (byte != '.' || static_cast<std::size_t>(p - piece) - 1 >= 5 || magnitude > 32767 ||
                pieces.fixedCount == pieces.fixed.size())
                return nullptr;
            // A '.' is never the buffer's last byte where the end is not checked, nor is a digit.
            const char* const fraction = ++p;
            std::uint32_t hundredths = 0;
            for (std::uint32_t d = 0;
                 p - fraction < 2 && (!kCheckEnd || p != end) &&
                 (d = static_cast<std::uint32_t>(static_cast<unsigned char>(*p)) - '0') <= 9;
                 ++p)
                hundredths = hundredths * 10 + d;
            if (p == fraction || (kCheckEnd && p == end))
                return nullptr;
            byte = static_cast<unsigned char>(*p);
            if (byte != ',' && byte != kCarriageReturn)
                return nullptr;
            pieces.fixed[pieces.fixedCount++] = {pieces.count, negative,
                                                 static_cast<std::uint16_t>(magnitude),
                                                 static_cast<std::uint16_t>(hundredths)};
        } else if (static_cast<std::size_t>(p - piece) - 1 >= 5) {
            return nullptr;
        }
        if (pieces.count == kCapacity)
            return nullptr;
        const auto signedMagnitude = static_cast<std::int32_t>(magnitude);
        pieces.numbers[pieces.count++] = negative ? -signedMagnitude : signedMagnitude;
        if (byte == kCarriageReturn)
            return p;
        piece = ++p;
        negative = false;
        magnitude = 0;
    }
}

// ParseSigned for the common bound, which five digits cannot pass; the reading path's hottest call.
[[gnu::always_inline]] inline bool ParseInt(std::string_view token, std::int32_t& value) {
    const char* digits = token.data();
    std::size_t n = token.size();
    const bool negative = n > 0 && digits[0] == '-';
    digits += negative;
    n -= negative;
    if (n == 0 || n > 5)
        return false;
    std::uint32_t magnitude = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const auto digit = static_cast<std::uint32_t>(static_cast<unsigned char>(digits[i])) - '0';
        if (digit > 9)
            return false;
        magnitude = magnitude * 10 + digit;
    }
    value = negative ? -static_cast<std::int32_t>(magnitude) : static_cast<std::int32_t>(magnitude);
    return true;
}

bool ParseUint(std::string_view token, std::uint32_t& value) {
    std::uint64_t parsed = 0;
    // Ten digits reach past 32 bits; such a value is refused rather than wrapped.
    if (!ParseDigits(token, 1, 10, parsed) || parsed > UINT32_MAX)
        return false;
    value = static_cast<std::uint32_t>(parsed);
    return true;
}

bool ParseFixed(std::string_view token, FixedValue& value) {
    const std::size_t dot = token.find('.');
    if (dot == std::string_view::npos)
        return false;
    std::int32_t whole = 0;
    std::uint64_t hundredths = 0;
    if (!ParseSigned(token.substr(0, dot), 32767, whole))
        return false;
    if (!ParseDigits(token.substr(dot + 1), 1, 2, hundredths))
        return false;
    value.negative = token.front() == '-';
    value.whole = static_cast<std::uint16_t>(whole < 0 ? -whole : whole);
    value.hundredths = static_cast<std::uint16_t>(hundredths);
    return true;
}

// Skips to the first quote and copies up to the next one, looking at no more than `size`
// characters of the token in all, so the copy always leaves room for the terminating zero.
void CopyQuotedText(std::string_view token, char* field, std::size_t size) {
    const std::size_t examined = std::min(token.size(), size);
    std::size_t i = 0;
    while (i < examined && token[i] != '\'')
        ++i;
    std::size_t n = 0;
    for (++i; i < examined && token[i] != '\''; ++i)
        field[n++] = token[i];
    field[n] = '\0';
}

// Appends pieces to the caller's buffer within its room; the last byte of capacity is never used.
class LineWriter {
  public:
    explicit LineWriter(std::span<char> out) : out_(out.data()), room_(out.empty() ? 0 : out.size() - 1) {}

    void Copy(std::string_view text) {
        const std::size_t n = std::min(room_, text.size());
        std::memcpy(out_ + written_, text.data(), n);
        written_ += n;
        room_ -= n;
    }
    void Piece(char separator, std::string_view text) {
        if (room_ == 0)
            return;
        out_[written_++] = separator;
        --room_;
        Copy(text);
    }
    template <typename Integer>
    void Number(char separator, Integer value) {
        char digits[24];
        const auto result = std::to_chars(std::begin(digits), std::end(digits), value);
        Piece(separator, {digits, static_cast<std::size_t>(result.ptr - digits)});
    }
    void EndLine() {
        if (room_ > 0) {
            out_[written_++] = kCarriageReturn;
            --room_;
        }
    }
    bool HasRoom() const { return room_ > 0; }
    std::size_t Written() const { return written_; }

  private:
    char* out_;
    std::size_t room_;
    std::size_t written_ = 0;
};

std::string_view RawField(const CommandMessage& message, const ArgField& field) {
    const char* begin = reinterpret_cast<const char*>(message.Bytes() + field.offset);
    const void* zero = std::memchr(begin, 0, field.size);
    return {begin, zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - begin) : field.size};
}

void WriteField(LineWriter& writer, const CommandMessage& message, const ArgField& field) {
    switch (field.type) {
        case ArgType::Int:
            writer.Number(',', message.Int(field.offset));
            break;
        case ArgType::Uint:
            writer.Number(',', message.Uint(field.offset));
            break;
        case ArgType::Fixed: {
            const FixedValue fixed = message.Fixed(field.offset);
            char text[16];
            char* p = text;
            if (fixed.negative)
                *p++ = '-';
            p = std::to_chars(p, std::end(text), fixed.whole).ptr;
            *p++ = '.';
            if (fixed.hundredths < 10)
                *p++ = '0';
            p = std::to_chars(p, std::end(text), fixed.hundredths).ptr;
            writer.Piece(',', {text, static_cast<std::size_t>(p - text)});
            break;
        }
        case ArgType::Text:
            writer.Piece(',', "'");
            writer.Copy(message.Text(field.offset, field.size));
            writer.Copy("'");
            break;
        case ArgType::Raw:
            writer.Piece(',', RawField(message, field));
            break;
        case ArgType::Skip:
            writer.Piece(',', "0");
            break;
    }
}

bool CarriesBoardFields(std::int32_t position) {
    return position == 2 || position == 3 || (position >= 9 && position <= 20);
}

constexpr std::size_t kSoftwarePairs = 4;
constexpr std::size_t kSoftwareNameOffset = 18;
constexpr std::size_t kSoftwareVersionOffset = 86;
constexpr std::size_t kSoftwareTextSize = 17;
constexpr std::size_t kFirmwareTextOffset = 18;
constexpr std::size_t kFirmwareTextSize = kMessageSize - kFirmwareTextOffset;

}  // namespace

// Reads the tokens of one line into a record; every step checks the failure flag first, so the
// first error decides and nothing after it touches the record.
class MessageCodec::LineReader {
  public:
    LineReader(MessageCodec& codec, CommandMessage& message, std::span<const std::string_view> tokens)
        : codec_(codec), message_(message), tokens_(tokens) {}

    bool failed = false;

    [[gnu::always_inline]] void Fields(std::span<const ArgField> fields, std::size_t& position) {
        for (const ArgField& field : fields)
            Field(field, position++);
    }

    // Fields that are all numbers; a missing one fails as in Field.
    [[gnu::always_inline]] void Ints(std::span<const ArgField> fields, std::size_t& position) {
        if (failed)
            return;
        for (const ArgField& field : fields) {
            std::int32_t value = 0;
            if (position >= tokens_.size() || !ParseInt(tokens_[position], value)) {
                failed = true;
                return;
            }
            ++position;
            message_.SetInt(field.offset, value);
        }
    }

    [[gnu::always_inline]] void Fields(std::span<const ArgField> fields, std::size_t& position,
                                       bool intsOnly) {
        if (intsOnly)
            Ints(fields, position);
        else
            Fields(fields, position);
    }

    [[gnu::always_inline]] void Field(const ArgField& field, std::size_t position) {
        if (failed)
            return;
        if (position >= tokens_.size()) {
            failed = field.type != ArgType::Text;  // a missing text simply stays empty
            return;
        }
        const std::string_view token = tokens_[position];
        char* bytes = reinterpret_cast<char*>(message_.Bytes() + field.offset);
        switch (field.type) {
            case ArgType::Int: {
                std::int32_t value = 0;
                failed = !ParseInt(token, value);
                message_.SetInt(field.offset, value);
                break;
            }
            case ArgType::Uint: {
                std::uint32_t value = 0;
                failed = !ParseUint(token, value);
                message_.SetUint(field.offset, value);
                break;
            }
            case ArgType::Fixed: {
                FixedValue value;
                failed = !ParseFixed(token, value);
                message_.SetFixed(field.offset, value);
                break;
            }
            case ArgType::Text:
                CopyQuotedText(token, bytes, field.size);
                break;
            case ArgType::Raw:
                std::memcpy(bytes, token.data(), std::min<std::size_t>(token.size(), field.size));
                break;
            case ArgType::Skip:
                break;
        }
    }

    void SoftwareVersions() {
        std::size_t position = 0;
        Field({ArgType::Int, kArgumentOffset, 4}, position++);
        if (failed)
            return;
        const std::size_t pairs = std::min(kSoftwarePairs, (tokens_.size() - 1) / 2);
        for (std::size_t k = 0; k < pairs; ++k) {
            Field({ArgType::Text, static_cast<std::uint16_t>(kSoftwareNameOffset + kSoftwareTextSize * k),
                   kSoftwareTextSize},
                  position++);
            Field({ArgType::Text, static_cast<std::uint16_t>(kSoftwareVersionOffset + kSoftwareTextSize * k),
                   kSoftwareTextSize},
                  position++);
        }
    }

    void List(ListKind kind, std::span<const ArgField> leading, std::size_t first) {
        if (failed)
            return;
        if (kind == ListKind::PpmId) {
            PpmIds();
            return;
        }
        const std::int32_t count = message_.Int(leading.back().offset);
        const std::int32_t firstChannel =
            leading.size() >= 2 ? message_.Int(leading[leading.size() - 2].offset) : 0;
        if (count < 0 || !WithinBound(kind, count, firstChannel)) {
            failed = true;
            return;
        }
        const auto n = static_cast<std::size_t>(count);
        if (first + n > tokens_.size()) {
            failed = true;
            return;
        }
        const std::span<const std::string_view> entries = tokens_.subspan(first, n);
        // Numbers are read into scratch first, so a bad line leaves the previous run intact
        // rather than half cleared.
        std::array<std::int32_t, kCrosspointListSize> numbers;
        if (IsNumberList(kind)) {
            for (std::size_t i = 0; i < n; ++i) {
                if (!ParseInt(entries[i], numbers[i])) {
                    failed = true;
                    return;
                }
            }
        }
        Fill(kind, entries, std::span<const std::int32_t>(numbers.data(), IsNumberList(kind) ? n : 0),
             firstChannel);
    }

    static bool WithinBound(ListKind kind, std::int32_t count, std::int32_t firstChannel) {
        switch (kind) {
            case ListKind::Crosspoint:
                return count <= static_cast<std::int32_t>(kCrosspointListSize);
            case ListKind::SyncPriority:
                return count <= static_cast<std::int32_t>(kSyncPriorityListSize);
            case ListKind::InputStatus:
                return count < 15 && firstChannel + count < 16;
            case ListKind::Label:
                return count <= static_cast<std::int32_t>(kLabelListSize);
            case ListKind::LevelDetector:
                return count <= static_cast<std::int32_t>(kLevelDetectorListSize);
            case ListKind::PpmId:
            case ListKind::None:
                break;
        }
        return false;
    }

    static bool IsNumberList(ListKind kind) { return IsNumberListKind(kind); }

    void Fill(ListKind kind, std::span<const std::string_view> entries, std::span<const std::int32_t> numbers,
              std::int32_t firstChannel) {
        auto fillInts = [&](auto& buffer) {
            buffer.fill(0);
            std::copy(numbers.begin(), numbers.end(), buffer.begin());
        };
        switch (kind) {
            case ListKind::Crosspoint:
                fillInts(codec_.crosspoints_);
                break;
            case ListKind::SyncPriority:
                fillInts(codec_.syncPriorities_);
                break;
            case ListKind::LevelDetector:
                fillInts(codec_.levelDetectors_);
                break;
            case ListKind::InputStatus:
                codec_.inputStatus_.fill({});
                for (std::size_t i = 0; i < entries.size(); ++i) {
                    InputStatusEntry& entry = codec_.inputStatus_[i];
                    entry.channel = firstChannel + static_cast<std::int32_t>(i);
                    std::memcpy(entry.status.data(), entries[i].data(),
                                std::min<std::size_t>(entries[i].size(), 3));
                }
                break;
            case ListKind::Label:
                codec_.labels_.fill({});
                for (std::size_t i = 0; i < entries.size(); ++i) {
                    LabelEntry& entry = codec_.labels_[i];
                    entry.selector = message_.Int(kArgumentOffset);
                    entry.channel = firstChannel + static_cast<std::int32_t>(i);
                    CopyQuotedText(entries[i], entry.text.data(), entry.text.size());
                }
                break;
            case ListKind::PpmId:
            case ListKind::None:
                break;
        }
    }

  private:
    void PpmIds() {
        if (tokens_.empty() || tokens_.size() > kPpmIdListSize + 1)
            return;
        std::size_t n = 0;
        std::array<std::uint32_t, kPpmIdListSize> ids{};
        for (const std::string_view token : tokens_) {
            if (token.front() == '*' || n == kPpmIdListSize)
                break;
            if (!ParseUint(token, ids[n++])) {
                failed = true;
                return;
            }
        }
        codec_.ppmIds_ = ids;
        codec_.ppmIdCount_ = n;
    }

    MessageCodec& codec_;
    CommandMessage& message_;
    std::span<const std::string_view> tokens_;
};

MessageCodec::MessageCodec() = default;

std::optional<CommandCode> MessageCodec::Lookup(std::string_view word) const {
    if (word.empty() || word.size() > kMaxWordLength)
        return std::nullopt;
    return FindWord(word, WordKey(word));
}

std::size_t MessageCodec::Write(const CommandMessage& message, std::span<char> out, Side side) const {
    if (message.code >= kCommandCount || out.empty())
        return 0;
    const CommandInfo& info = Command(message.code);

    CommandMessage shortened;
    const CommandMessage* source = &message;
    if (info.special == Special::ShortRawFields) {
        shortened = message;
        shortened.Bytes()[16] = 0;
        shortened.Bytes()[20] = 0;
        shortened.Bytes()[26] = 0;
        source = &shortened;
    }

    LineWriter writer(out);
    const char direction = DirectionCharacter(message, info.word);
    writer.Copy({&direction, 1});
    writer.Copy(info.word);
    if (message.flags & MessageFlags::kReply)
        writer.Number(',', message.status);

    const bool carriesArguments = message.code >= 2 && message.code <= 177;
    if (carriesArguments && side == Side::Request) {
        for (const ArgField& field : info.request.All())
            WriteField(writer, *source, field);
    } else if (carriesArguments) {
        std::span<const ArgField> fields = info.reply.Unconditional();
        if (message.status == 0)
            fields = info.reply.All();
        if (info.special == Special::BoardConfig && !CarriesBoardFields(message.Int(kArgumentOffset))) {
            fields = fields.first(1);
        }
        for (const ArgField& field : fields)
            WriteField(writer, *source, field);
        if (info.special == Special::SoftwareVersions) {
            for (std::size_t k = 0; k < kSoftwarePairs; ++k) {
                const auto name = static_cast<std::uint16_t>(kSoftwareNameOffset + kSoftwareTextSize * k);
                const auto version =
                    static_cast<std::uint16_t>(kSoftwareVersionOffset + kSoftwareTextSize * k);
                if (message.Text(name, kSoftwareTextSize).empty())
                    break;
                WriteField(writer, message, {ArgType::Text, name, kSoftwareTextSize});
                WriteField(writer, message, {ArgType::Text, version, kSoftwareTextSize});
            }
        }
    }

    if (writer.HasRoom()) {
        if (message.tag != 0) {
            char tag[8] = {'*'};
            const auto end = std::to_chars(tag + 1, std::end(tag), message.tag).ptr;
            writer.Piece(',', {tag, static_cast<std::size_t>(end - tag)});
        }
        if (info.special == Special::FirmwareLine && side == Side::Request &&
            message.Int(kArgumentOffset) == 1) {
            writer.Piece('#', RawField(message, {ArgType::Raw, kFirmwareTextOffset, kFirmwareTextSize}));
        }
    }
    writer.EndLine();
    return writer.Written();
}

// Most lines are a word and numbers only: the status and arguments of a word whose layout on
// this side holds integers and fixed-point values alone (a list of numbers included), each piece
// a sign and one to five digits (a fixed-point one then a point and one or two more), the line
// ending right after the last. Such a line is read in one pass, each byte once, and the record is
// written only once the line proved to be one; anything else (a text, a tag, an empty piece, a
// second start character, a piece out of form or out of place, too few or too many) leaves the
// line untouched to the general reader below.
inline std::size_t MessageCodec::ReadNumbers(std::span<char> bytes, CommandMessage& message, Side side) {
    char* const data = bytes.data();
    const std::size_t size = bytes.size();
    std::size_t at = 0;
    while (at < size && ClassOf(data[at]) != kLineStart)
        ++at;
    if (at == size)
        return 0;
    const std::size_t start = at++;
    const std::size_t wordBegin = at;
    // The word ends at the first comma or carriage return; a byte in it that no word has (a start
    // character, '#') makes it no word, so the lookup sends such a line on to the general reader.
    std::uint64_t key = 0;
    if (wordBegin + 8 <= size) {
        std::memcpy(&key, data + wordBegin, 8);
        constexpr std::uint64_t kOnes = 0x0101010101010101ull;
        constexpr std::uint64_t kHighs = 0x8080808080808080ull;
        const std::uint64_t commas = key ^ (kOnes * ',');
        const std::uint64_t returns = key ^ (kOnes * kCarriageReturn);
        // The lowest byte flagged is the first that matches; flags above it may be false.
        const std::uint64_t flags =
            ((commas - kOnes) & ~commas & kHighs) | ((returns - kOnes) & ~returns & kHighs);
        at = flags != 0 ? wordBegin + static_cast<std::size_t>(std::countr_zero(flags)) / 8 : wordBegin + 8;
    }
    if (at == wordBegin + 8 || wordBegin + 8 > size) {
        while (at < size && data[at] != ',' && data[at] != kCarriageReturn)
            ++at;
    }
    const std::size_t wordSize = at - wordBegin;
    if (at == size || wordSize == 0 || wordSize > kMaxWordLength)
        return 0;
    const std::string_view word(data + wordBegin, wordSize);
    if (wordSize < 8 && wordBegin + 8 <= size)
        key &= (std::uint64_t{1} << (8 * wordSize)) - 1;
    else
        key = WordKey(word);
    const std::optional<CommandCode> code = FindWord(word, key);
    if (!code)
        return 0;
    const std::uint16_t index = ToCode(*code);
    const bool request = side == Side::Request;
    const OnePassRow& row = request ? kOnePass.request[index] : kOnePass.reply[index];
    if (row.kind == OnePass::No)
        return 0;

    // Every piece after a comma: a sign and one to five digits, ended by a comma or the line's end.
    const char* p = data + at;
    const char* const end = data + size;
    NumberPieces<kMaxArgumentTokens + 1> pieces;  // the status and the arguments
    // A buffer that ends in a carriage return (as one read up to a line's end does) stops every
    // scan below by itself, and the scans need not look for its end.
    p = end[-1] == kCarriageReturn ? ReadNumberList<false>(p, end, pieces)
                                   : ReadNumberList<true>(p, end, pieces);
    if (p == nullptr || *p != kCarriageReturn)
        return 0;
    const std::size_t count = pieces.count;
    at = static_cast<std::size_t>(p - data);

    const char direction = data[start];
    const std::size_t leading = direction == ':' || direction == '!' ? 1 : 0;
    if (count < leading || count - leading > kMaxArgumentTokens)
        return 0;
    const std::int32_t status = leading != 0 ? pieces.numbers[0] : 0;
    if (status < -32767 || status > 32767)
        return 0;
    const std::size_t fieldCount = status == 0 ? row.fields : row.unconditional;
    const std::int32_t* const values = pieces.numbers.data() + leading;
    // A fixed-point piece must be where a fixed-point field is, and only there.
    if (pieces.fixedCount != 0 || row.kind == OnePass::IntsAndFixed) {
        const ArgLayout& layout = request ? Command(*code).request : Command(*code).reply;
        std::size_t next = 0;
        for (std::size_t i = 0; i < fieldCount; ++i) {
            const bool fixedPiece = next < pieces.fixedCount && pieces.fixed[next].piece == leading + i;
            if (fixedPiece != (layout.fields[i].type == ArgType::Fixed))
                return 0;
            next += fixedPiece;
        }
        if (next != pieces.fixedCount)
            return 0;
    }
    std::size_t listed = 0;
    // A list's count is the last field, its first channel the one before.
    const bool list = status == 0 && row.list != ListKind::None;
    if (list) {
        if (fieldCount == 0 || count - leading < fieldCount)
            return 0;
        const std::int32_t length = values[fieldCount - 1];
        const std::int32_t firstChannel = fieldCount >= 2 ? values[fieldCount - 2] : 0;
        if (length < 0 || !LineReader::WithinBound(row.list, length, firstChannel))
            return 0;
        listed = static_cast<std::size_t>(length);
    }
    if (count - leading != fieldCount + listed)
        return 0;

    // The line is one: it is written as the general reader would write it.
    data[at] = '\0';
    const std::size_t dirty = &message == lastRecord_ ? lastExtent_ : kMessageSize;
    ClearRecord(message, dirty);
    lastRecord_ = &message;
    lastExtent_ = row.extent;
    message.code = index;
    message.flags = FlagsOf(direction);
    message.status = status;
    if (pieces.fixedCount == 0) {
        for (std::size_t i = 0; i < fieldCount; ++i)
            message.SetInt(row.offsets[i], values[i]);
    } else {
        const ArgLayout& layout = request ? Command(*code).request : Command(*code).reply;
        for (std::size_t i = 0, next = 0; i < fieldCount; ++i) {
            if (layout.fields[i].type == ArgType::Fixed) {
                const FixedPiece& fixed = pieces.fixed[next++];
                message.SetFixed(row.offsets[i], {fixed.negative, fixed.whole, fixed.hundredths});
            } else {
                message.SetInt(row.offsets[i], values[i]);
            }
        }
    }
    if (list) {
        LineReader reader(*this, message, {});
        reader.Fill(row.list, {}, {values + fieldCount, listed}, 0);
    }
    return at + 1;
}

ReadResult MessageCodec::Read(std::span<char> bytes, CommandMessage& message, Side side) {
    if (const std::size_t consumed = ReadNumbers(bytes, message, side); consumed != 0)
        return {consumed, true};
    return ReadAnyLine(bytes, message, side);
}

ReadResult MessageCodec::ReadAnyLine(std::span<char> bytes, CommandMessage& message, Side side) {
    // One pass finds the line and splits it at its commas: the last start character before a
    // carriage return begins the line, and each start character begins the split anew. Empty
    // pieces (commas in a row) are no tokens. Pieces past the token store only count, so a line
    // with too many of them is still found whole before it is refused.
    char* const data = bytes.data();
    const std::size_t size = bytes.size();
    std::size_t start = 0;
    while (start < size && ClassOf(data[start]) != kLineStart)
        ++start;
    if (start == size)
        return {0, false};
    std::size_t end = start + 1;
    std::size_t hash = size;  // the first '#' of the line
    // Sixteen bytes at a time: one mask of their commas and one of the rarer bytes that matter
    // (line end, '#', start characters). Commas before the first rare byte become pieces; a rare
    // byte is then dealt with alone and the scan goes on after it.
    Pieces split{data, end, size, splitTokens_};
    bool ended = false;
    while (end < size) {
        // The last block of a buffer of at least 16 bytes is loaded flush with its end, so a
        // block never reads outside the buffer; bytes before `end` are masked off.
        const std::size_t base = size - end >= kBlockSize || size < kBlockSize ? end : size - kBlockSize;
        const std::size_t length = std::min(kBlockSize, size - base);
        BlockMasks masks = ScanBlock(data + base, length);
        const std::uint32_t seen = ~((std::uint32_t{1} << (end - base)) - 1);
        masks.commas &= seen;
        masks.rare &= seen;
        const std::size_t stop =
            masks.rare != 0 ? static_cast<std::size_t>(std::countr_zero(masks.rare)) : length;
        std::uint32_t commas = masks.commas & ((std::uint32_t{1} << stop) - 1);
        while (commas != 0) {
            split.End(base + static_cast<std::size_t>(std::countr_zero(commas)));
            commas &= commas - 1;
        }
        end = base + stop;
        if (masks.rare == 0)
            continue;
        const ByteClass byteClass = ClassOf(data[end]);
        if (byteClass == kLineEnd) {
            ended = true;
            break;
        }
        if (byteClass == kHash) {
            hash = std::min(hash, end);
        } else {
            start = end;
            split = Pieces{data, end + 1, size, splitTokens_};
            hash = size;
        }
        ++end;
    }
    if (!ended)
        return {start, false};
    split.End(end);
    std::size_t pieces = split.count;
    std::size_t overflowAt = split.overflowAt;
    data[end] = '\0';

    // Only what the last read into this record set needs clearing, not the whole record.
    const std::size_t dirty = &message == lastRecord_ ? lastExtent_ : kMessageSize;
    ClearRecord(message, dirty);
    lastRecord_ = &message;
    lastExtent_ = kFailureRecordEnd;

    const char direction = data[start];
    std::size_t codeItHad = 0;
    auto fail = [&] {
        message.code = kFailedParseCode;
        message.SetInt(14, 1);
        message.SetInt(18, static_cast<std::int32_t>(codeItHad));
        return ReadResult{end + 1, true};
    };

    if (pieces == 0)
        return fail();
    const std::string_view word = splitTokens_[0];
    if (word.size() > kMaxWordLength)
        return fail();
    // The line's carriage return (now a zero) follows the word, so its first eight bytes can be
    // loaded at once wherever the buffer reaches that far.
    std::uint64_t key = 0;
    if (word.data() + 8 <= data + size) {
        std::memcpy(&key, word.data(), 8);
        if (word.size() < 8)
            key &= (std::uint64_t{1} << (8 * word.size())) - 1;
    } else {
        key = WordKey(word);
    }
    const std::optional<CommandCode> code = FindWord(word, key);

    // A firmware line carries its image text after "#", commas and all; the pieces of the text
    // are no arguments.
    std::string_view firmwareText;
    const bool firmwareLine = side == Side::Request && code == CommandCode::sprog;
    if (firmwareLine && hash != size) {
        firmwareText = std::string_view(data + hash + 1, end - hash - 1);
        if (overflowAt > hash) {
            overflowAt = size;
            pieces = std::min(pieces, splitTokens_.size());
        }
        while (overflowAt == size && pieces > 1 && splitTokens_[pieces - 1].data() >= data + hash)
            --pieces;
        std::string_view& last = splitTokens_[std::min(pieces, splitTokens_.size()) - 1];
        if (overflowAt == size && pieces > 1 && last.data() + last.size() > data + hash)
            last = last.substr(0, static_cast<std::size_t>(data + hash - last.data()));
    }

    const bool hasStatus = direction == ':' || direction == '!';
    const std::size_t leading = hasStatus ? 2 : 1;
    std::string_view statusToken;
    if (hasStatus && pieces > 1)
        statusToken = splitTokens_[1];
    const std::size_t tokenCount = pieces > leading ? pieces - leading : 0;
    if (tokenCount > kMaxArgumentTokens || overflowAt != size)
        return fail();
    if (!code)
        return fail();
    codeItHad = ToCode(*code);
    lastExtent_ =
        std::max<std::size_t>(kFailureRecordEnd, side == Side::Request ? kRecordExtents.request[codeItHad]
                                                                       : kRecordExtents.reply[codeItHad]);
    message.code = ToCode(*code);
    message.flags = FlagsOf(direction);
    if (hasStatus) {
        std::int32_t status = 0;  // the record is packed: never bind a reference to its fields
        if (!ParseSigned(statusToken, 32767, status))
            return fail();
        message.status = status;
    }

    const CommandInfo& info = Command(*code);
    const std::span<const std::string_view> tokens(splitTokens_.data() + leading, tokenCount);
    LineReader reader(*this, message, tokens);
    std::size_t position = 0;
    if (side == Side::Request) {
        reader.Fields(info.request.All(), position, kNumbersOnly.request[codeItHad]);
        // A begin or end record has no text; memcpy from an empty view's null pointer is undefined.
        if (firmwareLine && !reader.failed && !firmwareText.empty()) {
            std::memcpy(message.Bytes() + kFirmwareTextOffset, firmwareText.data(),
                        std::min(firmwareText.size(), kFirmwareTextSize));
        }
    } else {
        if (info.special == Special::SoftwareVersions) {
            reader.SoftwareVersions();
        } else if (info.special == Special::BoardConfig) {
            reader.Fields(info.reply.All().first(1), position);
            if (CarriesBoardFields(message.Int(kArgumentOffset)))
                reader.Fields(info.reply.All().subspan(1), position);
        } else {
            const bool intsOnly = kNumbersOnly.reply[codeItHad];
            reader.Fields(info.reply.Unconditional(), position, intsOnly);
            if (message.status == 0)
                reader.Fields(info.reply.WithStatusZero(), position, intsOnly);
            if (message.status == 0 && info.list != ListKind::None)
                reader.List(info.list, info.reply.All(), position);
        }
    }
    if (info.special == Special::KeepAlive) {
        message.flags |= MessageFlags::kKeepAlive;
        message.status = 0;
    }
    if (reader.failed)
        return fail();

    if (tokenCount > 0 && tokens.back().front() == '*') {
        std::int32_t tag = 0;
        if (ParseSigned(tokens.back().substr(1), 65535, tag) && tag >= 0 && tokens.back()[1] != '-') {
            message.tag = static_cast<std::uint16_t>(tag);
        }
    }
    return {end + 1, true};
}

void MessageCodec::GetCrosspointList(std::int32_t count,
                                     std::span<std::int32_t, kCrosspointListSize> out) const {
    if (count >= 0 && count <= static_cast<std::int32_t>(kCrosspointListSize)) {
        std::copy(crosspoints_.begin(), crosspoints_.end(), out.begin());
    } else {
        out[0] = 0;
    }
}

namespace {
template <typename Buffer, typename Out>
bool CopyWithin(std::int32_t count, const Buffer& buffer, Out out) {
    if (count < 0 || count > static_cast<std::int32_t>(buffer.size()))
        return false;
    std::copy(buffer.begin(), buffer.end(), out.begin());
    return true;
}
}  // namespace

bool MessageCodec::GetSyncPriorityList(std::int32_t count,
                                       std::span<std::int32_t, kSyncPriorityListSize> out) const {
    return CopyWithin(count, syncPriorities_, out);
}
bool MessageCodec::GetInputStatusList(std::int32_t count,
                                      std::span<InputStatusEntry, kInputStatusListSize> out) const {
    return CopyWithin(count, inputStatus_, out);
}
bool MessageCodec::GetLabelList(std::int32_t count, std::span<LabelEntry, kLabelListSize> out) const {
    return CopyWithin(count, labels_, out);
}
bool MessageCodec::GetLevelDetectorList(std::int32_t count,
                                        std::span<std::int32_t, kLevelDetectorListSize> out) const {
    return CopyWithin(count, levelDetectors_, out);
}
bool MessageCodec::GetPpmIdList(std::int32_t count, std::span<std::uint32_t, kPpmIdListSize> out) const {
    return CopyWithin(count, ppmIds_, out);
}

}  // namespace velmar
