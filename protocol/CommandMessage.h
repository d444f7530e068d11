#pragma once

#include <bit>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace velmar {

static_assert(std::endian::native == std::endian::little,
              "CommandMessage mirrors a little-endian wire record; a big-endian port needs byte swaps here");

inline constexpr std::size_t kMessageSize = 274;      // the sprog data request, the largest record
inline constexpr std::size_t kArgumentOffset = 14;    // first byte of the argument area
inline constexpr std::size_t kReplyRecordSize = 154;  // gswver fills bytes 14..153

namespace MessageFlags {
inline constexpr std::uint8_t kKeepAlive = 0x08;
inline constexpr std::uint8_t kRequest = 0x10;
inline constexpr std::uint8_t kReply = 0x20;
inline constexpr std::uint8_t kKindMask = 0xF0;
}  // namespace MessageFlags

// Gain and threshold values in dB: sign, magnitude and hundredths kept apart so that
// -0.50 keeps its sign although its whole part is zero.
struct FixedValue {
    bool negative = false;
    std::uint16_t whole = 0;
    std::uint16_t hundredths = 0;
    friend bool operator==(const FixedValue&, const FixedValue&) = default;
};

// A 32-bit value at an odd place in a packed record. Reading and assigning work as with an int;
// taking a reference to the int itself is impossible, which is the point: such a reference would
// be misaligned.
class PackedInt32 {
  public:
    PackedInt32() = default;
    PackedInt32(std::int32_t value) { *this = value; }  // NOLINT(google-explicit-constructor)
    PackedInt32& operator=(std::int32_t value) {
        std::memcpy(bytes_, &value, sizeof value);
        return *this;
    }
    operator std::int32_t() const {  // NOLINT(google-explicit-constructor)
        std::int32_t value;
        std::memcpy(&value, bytes_, sizeof value);
        return value;
    }

  private:
    std::uint8_t bytes_[4] = {};
};

#pragma pack(push, 1)
// One request, reply or notification. The byte layout is the format: the length fields
// count bytes and every argument is addressed by its byte position in the record.
struct alignas(2) CommandMessage {
    std::uint16_t length = 0;
    std::uint8_t reserved = 0;
    std::uint8_t flags = 0;
    std::uint16_t tag = 0;
    std::uint16_t bodyLength = 0;
    std::uint16_t code = 0;
    PackedInt32 status;
    std::uint8_t arguments[kMessageSize - kArgumentOffset] = {};

    void Clear() { *this = CommandMessage{}; }

    std::uint8_t* Bytes() { return reinterpret_cast<std::uint8_t*>(this); }
    const std::uint8_t* Bytes() const { return reinterpret_cast<const std::uint8_t*>(this); }

    std::int32_t Int(std::size_t pos) const { return Load<std::int32_t>(pos); }
    void SetInt(std::size_t pos, std::int32_t value) { Store(pos, value); }
    std::uint32_t Uint(std::size_t pos) const { return Load<std::uint32_t>(pos); }
    void SetUint(std::size_t pos, std::uint32_t value) { Store(pos, value); }

    // A text field of `size` bytes holds at most size-1 characters and a terminating zero;
    // a field without one is read up to its end rather than beyond.
    std::string_view Text(std::size_t pos, std::size_t size) const {
        assert(pos >= kArgumentOffset && pos + size <= kMessageSize);
        const char* begin = reinterpret_cast<const char*>(Bytes() + pos);
        const void* zero = std::memchr(begin, 0, size);
        return {begin, zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - begin) : size};
    }
    void SetText(std::size_t pos, std::size_t size, std::string_view text) {
        assert(pos >= kArgumentOffset && pos + size <= kMessageSize && size > 0);
        const std::size_t n = text.size() < size ? text.size() : size - 1;
        std::memset(Bytes() + pos, 0, size);
        if (n != 0)  // an empty view may point nowhere, and memcpy must never be handed null
            std::memcpy(Bytes() + pos, text.data(), n);
    }

    FixedValue Fixed(std::size_t pos) const {
        return {Load<std::uint32_t>(pos) != 0, Load<std::uint16_t>(pos + 4), Load<std::uint16_t>(pos + 6)};
    }
    void SetFixed(std::size_t pos, FixedValue value) {
        Store<std::uint32_t>(pos, value.negative ? 1u : 0u);
        Store(pos + 4, value.whole);
        Store(pos + 6, value.hundredths);
    }

    void ClearBytes(std::size_t first, std::size_t last) {
        assert(first <= last && last < kMessageSize);
        std::memset(Bytes() + first, 0, last - first + 1);
    }

  private:
    template <typename T>
    T Load(std::size_t pos) const {
        assert(pos >= kArgumentOffset && pos + sizeof(T) <= kMessageSize);
        T value;
        std::memcpy(&value, Bytes() + pos, sizeof value);
        return value;
    }
    template <typename T>
    void Store(std::size_t pos, T value) {
        assert(pos >= kArgumentOffset && pos + sizeof(T) <= kMessageSize);
        std::memcpy(Bytes() + pos, &value, sizeof value);
    }
};
#pragma pack(pop)

static_assert(sizeof(CommandMessage) == kMessageSize);
static_assert(offsetof(CommandMessage, length) == 0);
static_assert(offsetof(CommandMessage, reserved) == 2);
static_assert(offsetof(CommandMessage, flags) == 3);
static_assert(offsetof(CommandMessage, tag) == 4);
static_assert(offsetof(CommandMessage, bodyLength) == 6);
static_assert(offsetof(CommandMessage, code) == 8);
static_assert(offsetof(CommandMessage, status) == 10);
static_assert(offsetof(CommandMessage, arguments) == kArgumentOffset);

}  // namespace velmar
