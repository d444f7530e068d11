#include "device/PendingReplies.h"

#include <algorithm>
#include <span>

namespace velmar {

namespace {

bool IsKey(const ArgField& field) {
    return field.type == ArgType::Int || field.type == ArgType::Uint;
}

bool Carries(std::span<const ArgField> fields, const ArgField& key) {
    return std::any_of(fields.begin(), fields.end(),
                       [&](const ArgField& f) { return IsKey(f) && f.offset == key.offset; });
}

}  // namespace

bool PendingRequest::AnsweredBy(const CommandMessage& reply) const {
    if (ToCode(code) != reply.code)
        return false;
    const CommandInfo& info = Command(code);
    const std::span<const ArgField> carried =
        reply.status == 0 ? info.reply.All() : info.reply.Unconditional();
    std::size_t key = 0;
    for (const ArgField& field : info.request.All()) {
        if (!IsKey(field))
            continue;
        if (Carries(carried, field) && reply.Int(field.offset) != keys[key])
            return false;
        ++key;
    }
    return true;
}

PendingRequest PendingRequest::Of(const CommandMessage& request) {
    PendingRequest pending;
    pending.code = static_cast<CommandCode>(request.code);
    for (const ArgField& field : Command(request.code).request.All()) {
        if (IsKey(field))
            pending.keys[pending.keyCount++] = request.Int(field.offset);
    }
    return pending;
}

bool PendingRequest::Is(CommandCode word, std::initializer_list<std::int32_t> leadingKeys) const {
    return code == word && leadingKeys.size() <= keyCount &&
           std::equal(leadingKeys.begin(), leadingKeys.end(), keys.begin());
}

std::string PendingRequest::Describe() const {
    const CommandInfo& info = Command(code);
    std::string text(info.word);
    // A list request ends in its first channel and count: name the channels it covers.
    const std::size_t runStart = info.list != ListKind::None && keyCount >= 2 ? keyCount - 2u : keyCount;
    std::size_t key = 0;
    for (const ArgField& field : info.request.All()) {
        if (!IsKey(field))
            continue;
        if (key == runStart) {
            const std::int32_t first = keys[key];
            text += " " + std::to_string(first) + ".." + std::to_string(first + keys[key + 1] - 1);
            break;
        }
        text += " ";
        text += field.type == ArgType::Uint ? std::to_string(static_cast<std::uint32_t>(keys[key]))
                                            : std::to_string(keys[key]);
        ++key;
    }
    return text;
}

}  // namespace velmar
