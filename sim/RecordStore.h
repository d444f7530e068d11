#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <unordered_map>

#include "protocol/CommandMessage.h"
#include "protocol/CommandTable.h"
#include "sim/CommandRules.h"

namespace velmar::sim {

// Identifies one stored value: the get word and the values of its key arguments.
struct RecordKey {
    std::uint16_t code = 0;
    std::array<std::int32_t, kMaxKeys> values{};
    friend bool operator==(const RecordKey&, const RecordKey&) = default;
};

struct RecordKeyHash {
    std::size_t operator()(const RecordKey& key) const noexcept {
        std::size_t h = key.code;
        for (const std::int32_t v : key.values)
            h = h * 1000003u ^ static_cast<std::uint32_t>(v);
        return h;
    }
};

// A frame's state as the records its get words answer with, one per key. Records that were
// never stored read as the key alone with every other field zero, so thousands of untouched
// crosspoints and labels cost nothing.
class RecordStore {
  public:
    // The record of `code` (a get word) for the key read from `source` at the rule's key positions.
    static RecordKey KeyOf(CommandCode code, const CommandMessage& source);
    static RecordKey Key(CommandCode code, std::array<std::int32_t, kMaxKeys> values);

    // Stored record, or a fresh one holding only the key.
    CommandMessage Read(const RecordKey& key) const;
    const CommandMessage* Find(const RecordKey& key) const;
    // The stored record, created from the key when absent.
    CommandMessage& Write(const RecordKey& key);
    void Erase(const RecordKey& key) { records_.erase(key); }
    void Clear() { records_.clear(); }

    // Calls `visit` for each stored record of one word, in no particular order.
    void ForEach(CommandCode code, const std::function<void(const CommandMessage&)>& visit) const;

  private:
    std::unordered_map<RecordKey, CommandMessage, RecordKeyHash> records_;
};

}  // namespace velmar::sim
