#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "device/DeviceState.h"
#include "protocol/CommandMessage.h"
#include "protocol/CommandTable.h"

namespace velmar {

// What a reply with a non-zero status does to the fields it would set.
enum class StatusRule : std::uint8_t {
    Unchanged,     // nothing
    ZeroOnError,   // stores 0 (an empty text)
    NoStatusTest,  // stores the value all the same
};

// Which replies store into the field: the get word's, the set word's, or both.
enum class StoredFrom : std::uint8_t { Get, Set, Both };

// One field of the frame image that the frame reads and writes as an argument of a get/set
// pair. The byte position is the same in the get reply and the set request (the command table
// lays them out alike). Fields of indexed groups (MADI ports, modules, sync sources) name the
// key at int:14 and its range; the key is sent with the set request.
struct FieldBinding {
    CommandCode get;
    CommandCode set;  // CommandCode::error: the frame only reports this field
    std::uint16_t pos;
    StatusRule rule;
    StoredFrom from;
    std::int32_t firstKey = 0;  // 0: not keyed
    std::int32_t lastKey = 0;
    void (*load)(DeviceState&, std::size_t key, const CommandMessage&, std::uint16_t pos, bool zero);
    // Fills the field's argument from a configuration; nullptr for a field of the live block.
    void (*save)(const ConfigBlock&, std::size_t key, CommandMessage&, std::uint16_t pos);
    std::string_view what = {};  // a text field's name in a refusal, with its article

    bool Keyed() const { return firstKey != 0; }
    bool HasSetWord() const { return set != CommandCode::error; }
};

// How a card word names the entry it addresses, after the card in int:14.
enum class CardIndex : std::uint8_t {
    Card,          // the card itself
    Channel,       // int:18, 1..8
    Port,          // int:18, 1..2
    PortAndGroup,  // int:18, 1..2 and int:22, 1..4
};

// One card parameter. `requiredMode` 1 or 2 limits it to a card in MADI or Hotlink mode.
struct CardFieldBinding {
    CommandCode get;
    CommandCode set;
    CardIndex index;
    std::uint16_t pos;
    std::uint16_t requiredMode;
    StoredFrom from;
    void (*load)(CardRecord&, std::size_t index, std::size_t group, const CommandMessage&, std::uint16_t pos);
    void (*save)(const CardRecord&, std::size_t index, std::size_t group, CommandMessage&, std::uint16_t pos);
};

std::span<const FieldBinding> FieldBindings();
std::span<const CardFieldBinding> CardFieldBindings();

// Stores every field the reply carries for `code` into the state, as the bindings say. False
// when no binding takes this word (or the key is out of range) and nothing was stored.
bool StoreBoundFields(DeviceState& state, const CommandMessage& reply);
// As above for card words: the card's kind and mode decide, a refused reply stores nothing.
bool StoreBoundCardFields(DeviceState& state, const CommandMessage& reply);

// Fills the set request `set` from a configuration (the frame image's, or a copy being edited):
// every bound field of that word (and its key). False when the word has no binding or the key is
// out of range.
bool FillSetRequest(const ConfigBlock& config, CommandCode set, std::int32_t key, CommandMessage& request);
bool FillCardSetRequest(const ConfigBlock& config, CommandCode set, std::int32_t card, std::int32_t index,
                        std::int32_t group, CommandMessage& request);

}  // namespace velmar
