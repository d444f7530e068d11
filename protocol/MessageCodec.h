#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "protocol/CommandMessage.h"
#include "protocol/CommandTable.h"

namespace velmar {

// Which argument list of the command table a line carries. The console writes requests and
// reads replies; a frame (the simulator) reads requests and writes replies.
enum class Side : std::uint8_t { Request, Reply };

struct ReadResult {
    std::size_t consumed = 0;
    bool lineRead = false;
};

struct InputStatusEntry {
    std::int32_t channel = 0;
    std::array<char, 4> status{};  // three raw characters and a zero
};

struct LabelEntry {
    std::int32_t selector = 0;
    std::int32_t channel = 0;
    std::array<char, 17> text{};
};
static_assert(sizeof(LabelEntry) == 28);

inline constexpr std::size_t kCrosspointListSize = 128;
inline constexpr std::size_t kSyncPriorityListSize = 17;
inline constexpr std::size_t kInputStatusListSize = 14;
inline constexpr std::size_t kLabelListSize = 32;
inline constexpr std::size_t kLevelDetectorListSize = 128;
inline constexpr std::size_t kPpmIdListSize = 32;
inline constexpr std::size_t kMaxArgumentTokens = 160;
inline constexpr std::size_t kLinkWriteBufferSize = 512;

// Turns records into protocol lines and lines back into records. It never allocates: lines
// are read in place in the caller's buffer and every table it fills is fixed in size. One
// codec serves one connection; it is not shared between threads.
class MessageCodec {
  public:
    MessageCodec();

    // Writes the line for `message` into `out`, at most out.size() - 1 bytes, and returns the
    // number written. A line that does not fit is cut and then lacks its carriage return.
    std::size_t Write(const CommandMessage& message, std::span<char> out, Side side = Side::Request) const;

    // Reads the first complete line at the front of `bytes` into `message`; the caller calls
    // again on what follows `consumed` until nothing is consumed. The line's carriage return is
    // overwritten with a zero. A malformed line still counts as read: it gives the failure
    // record (code 179, int:14 = 1, int:18 = the code it had). Bytes the line does not set are
    // zero, provided a record read into before was left as that read filled it: only what the
    // last read could have set is cleared again.
    ReadResult Read(std::span<char> bytes, CommandMessage& message, Side side = Side::Reply);

    // The code of a word, or nothing.
    std::optional<CommandCode> Lookup(std::string_view word) const;

    // List getters, given the count that the reply's record carries. Each copies its whole
    // buffer when the count is within the list's bound and copies nothing otherwise, except the
    // crosspoint getter, which then writes a single zero word.
    void GetCrosspointList(std::int32_t count, std::span<std::int32_t, kCrosspointListSize> out) const;
    bool GetSyncPriorityList(std::int32_t count, std::span<std::int32_t, kSyncPriorityListSize> out) const;
    bool GetInputStatusList(std::int32_t count, std::span<InputStatusEntry, kInputStatusListSize> out) const;
    bool GetLabelList(std::int32_t count, std::span<LabelEntry, kLabelListSize> out) const;
    bool GetLevelDetectorList(std::int32_t count, std::span<std::int32_t, kLevelDetectorListSize> out) const;
    bool GetPpmIdList(std::int32_t count, std::span<std::uint32_t, kPpmIdListSize> out) const;

    // Number of ids the last lppmid reply delivered; that reply carries no count of its own.
    std::size_t PpmIdCount() const { return ppmIdCount_; }

  private:
    class LineReader;

    // The common line read in one pass: the bytes it took, or 0 where the general reader must read
    // it (a line always takes at least its carriage return). Returned in a register, not as a
    // record in memory, which the caller would read back before the store had landed. Inlined into
    // Read, which is then its only caller: a call of its own cost a twentieth of a short line.
    [[gnu::always_inline]] inline std::size_t ReadNumbers(std::span<char> bytes, CommandMessage& message,
                                                          Side side);
    // Any line, the general way; kept out of Read so that the common line pays for none of its
    // frame.
    [[gnu::noinline]] ReadResult ReadAnyLine(std::span<char> bytes, CommandMessage& message, Side side);

    std::array<std::int32_t, kCrosspointListSize> crosspoints_{};
    std::array<std::int32_t, kSyncPriorityListSize> syncPriorities_{};
    std::array<InputStatusEntry, kInputStatusListSize> inputStatus_{};
    std::array<LabelEntry, kLabelListSize> labels_{};
    std::array<std::int32_t, kLevelDetectorListSize> levelDetectors_{};
    std::array<std::uint32_t, kPpmIdListSize> ppmIds_{};
    std::size_t ppmIdCount_ = 0;

    // Reader scratch: views into the caller's buffer for the line being read (the word, the
    // status and the arguments).
    std::array<std::string_view, kMaxArgumentTokens + 2> splitTokens_{};
    // The record the last line was read into and how far that read may have written into it.
    const CommandMessage* lastRecord_ = nullptr;
    std::size_t lastExtent_ = kMessageSize;
};

}  // namespace velmar
