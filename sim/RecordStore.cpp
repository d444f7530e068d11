#include "sim/RecordStore.h"

namespace velmar::sim {
namespace {

CommandMessage Fresh(const RecordKey& key) {
    CommandMessage message;
    message.code = key.code;
    const CommandRule& rule = RuleOf(key.code);
    for (std::size_t i = 0; i < rule.keyCount; ++i)
        message.SetInt(rule.keys[i].offset, key.values[i]);
    return message;
}

}  // namespace

RecordKey RecordStore::KeyOf(CommandCode code, const CommandMessage& source) {
    const CommandRule& rule = RuleOf(code);
    RecordKey key{ToCode(code), {}};
    for (std::size_t i = 0; i < rule.keyCount; ++i)
        key.values[i] = source.Int(rule.keys[i].offset);
    return key;
}

RecordKey RecordStore::Key(CommandCode code, std::array<std::int32_t, kMaxKeys> values) {
    const CommandRule& rule = RuleOf(code);
    RecordKey key{ToCode(code), {}};
    for (std::size_t i = 0; i < rule.keyCount; ++i)
        key.values[i] = values[i];
    return key;
}

CommandMessage RecordStore::Read(const RecordKey& key) const {
    const auto found = records_.find(key);
    return found == records_.end() ? Fresh(key) : found->second;
}

const CommandMessage* RecordStore::Find(const RecordKey& key) const {
    const auto found = records_.find(key);
    return found == records_.end() ? nullptr : &found->second;
}

CommandMessage& RecordStore::Write(const RecordKey& key) {
    const auto [place, inserted] = records_.try_emplace(key);
    if (inserted)
        place->second = Fresh(key);
    return place->second;
}

void RecordStore::ForEach(CommandCode code, const std::function<void(const CommandMessage&)>& visit) const {
    for (const auto& [key, record] : records_) {
        if (key.code == ToCode(code))
            visit(record);
    }
}

}  // namespace velmar::sim
