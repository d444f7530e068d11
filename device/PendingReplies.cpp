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

// The reply repeats every key of the request that it carries.
bool Answers(const PendingRequest& request, const CommandMessage& reply) {
    const CommandInfo& info = Command(request.code);
    const std::span<const ArgField> carried =
        reply.status == 0 ? info.reply.All() : info.reply.Unconditional();
    std::size_t key = 0;
    for (const ArgField& field : info.request.All()) {
        if (!IsKey(field))
            continue;
        if (Carries(carried, field) && reply.Int(field.offset) != request.keys[key])
            return false;
        ++key;
    }
    return true;
}

}  // namespace

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

void PendingReplies::OnRequestSent(const CommandMessage& request) {
    if (!IsCommand(request.code))
        return;
    PendingRequest pending;
    pending.code = static_cast<CommandCode>(request.code);
    for (const ArgField& field : Command(request.code).request.All()) {
        if (IsKey(field))
            pending.keys[pending.keyCount++] = request.Int(field.offset);
    }
    waiting_.push_back(pending);
}

void PendingReplies::OnReplyReceived(const CommandMessage& reply) {
    if (!IsCommand(reply.code))
        return;  // a line that could not be read answers nothing
    const auto answered = std::find_if(waiting_.begin(), waiting_.end(), [&](const PendingRequest& p) {
        return ToCode(p.code) == reply.code && Answers(p, reply);
    });
    if (answered == waiting_.end())
        return;
    if (reply.status != 0)
        refused_.push_back({*answered, reply.status});
    waiting_.erase(answered);
}

std::size_t PendingReplies::Waiting(CommandCode code, std::initializer_list<std::int32_t> leadingKeys) const {
    return static_cast<std::size_t>(std::count_if(
        waiting_.begin(), waiting_.end(), [&](const PendingRequest& p) { return p.Is(code, leadingKeys); }));
}

std::string PendingReplies::UnansweredText(std::size_t limit) const {
    std::string text;
    const std::size_t named = std::min(limit, waiting_.size());
    for (std::size_t i = 0; i < named; ++i) {
        if (i > 0)
            text += ", ";
        text += waiting_[i].Describe();
    }
    if (waiting_.size() > named)
        text += ", and " + std::to_string(waiting_.size() - named) + " more";
    return text;
}

}  // namespace velmar
