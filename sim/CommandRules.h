#pragma once

#include <array>
#include <cstdint>

#include "protocol/CommandTable.h"

namespace velmar::sim {

// Reply status codes of the simulated frames. The console only tells 0 from the rest.
namespace FrameStatus {
inline constexpr std::int32_t kOk = 0;
inline constexpr std::int32_t kBadArgument = -1;
inline constexpr std::int32_t kUnknownCommand = -2;
inline constexpr std::int32_t kNotAvailable = -3;  // not fitted, or not in this mode
inline constexpr std::int32_t kSequence = -4;      // firmware records out of order or corrupt
inline constexpr std::int32_t kFlashWrite = -5;    // a firmware record that could not be written
}  // namespace FrameStatus

// How a frame treats a command word.
enum class Handling : std::uint8_t {
    Unknown,      // answered with an error status
    Get,          // the stored record of the key, read with the word's own reply layout
    Set,          // request fields go into the record of the paired get word; answered by echo
    List,         // a run of stored values of the paired get word
    Echo,         // answered with its own arguments, nothing stored
    Maintenance,  // firmware, restart, mode switch, factory clear
    Special,      // routing by Dante name, PPM streams, gain lists: the frame's own code
};

// The range a key argument must lie in; the frame answers a bad argument outside it.
enum class Bound : std::uint8_t {
    None,
    Any,
    Board,         // 1..20
    Card,          // 1..8, and the slot must hold the card kind the word needs
    CardChannel,   // 1..8
    CardPort,      // 1..2
    Group,         // 1..4
    MadiPort,      // 1..3
    Module,        // 1..2
    Feature,       // 1..32
    SyncSource,    // 2..18
    MainInput,     // 1..14
    Psu,           // 1..2
    Fan,           // 1..3
    Selector,      // 0..1
    Channel,       // 1..channel count
    Source,        // 0..channel count (0 disconnects)
    LabelChannel,  // 1..2048
    Flow,          // 1..32
    Slot,          // 0..7
    PpmId,         // 1..65535
    PpmChannel,    // 1..255
    Range,         // the field's own low..high
};

// What the frame must have for the word to make sense.
enum class Needs : std::uint8_t {
    Nothing,
    Matrix,
    Dante,
    PpmStream,
    CardSdi,
    CardAd,
    CardDa,
    CardAes,
    CardMadi
};

inline constexpr std::size_t kMaxKeys = 3;
inline constexpr std::size_t kMaxValues = 3;

struct KeyField {
    std::uint16_t offset = 0;
    Bound bound = Bound::None;
    std::int32_t low = 0;  // Bound::Range only
    std::int32_t high = 0;
};

struct CommandRule {
    Handling handling = Handling::Unknown;
    CommandCode store = CommandCode::error;  // the get word whose records hold the state
    std::array<KeyField, kMaxKeys> keys{};   // positions in the record of the stored word's key
    std::uint8_t keyCount = 0;
    Needs needs = Needs::Nothing;
    bool inRecovery = false;                    // answered by a frame running its recovery firmware
    std::array<KeyField, kMaxValues> values{};  // set values with a range of their own
    std::uint8_t valueCount = 0;
    std::uint16_t valueFrom = 0;  // a set value that lands elsewhere in the stored record
    std::uint16_t valueTo = 0;
    // Lists: where the first channel and count sit in the request, the stored field each entry
    // comes from and the most entries one reply may carry.
    std::uint16_t listFirst = 0;
    std::uint16_t listCount = 0;
    ArgField listValue{};
    std::uint16_t listMax = 0;
};

// The rule of every command code, built once from the command table and a short list of key
// ranges, so that most words need no code of their own.
const CommandRule& RuleOf(std::uint16_t code);
inline const CommandRule& RuleOf(CommandCode code) {
    return RuleOf(ToCode(code));
}

}  // namespace velmar::sim
