#include "device/RequestWriter.h"

#include <algorithm>
#include <array>
#include <span>

#include "device/FieldBindings.h"
#include "protocol/WireText.h"

namespace velmar {

namespace {

struct BodyLengthOverride {
    CommandCode code;
    std::uint16_t bodyLength;
};

// Where the catalogue fixes a value that the argument layout alone would not give.
constexpr std::array<BodyLengthOverride, 11> kBodyLengths{{
    {CommandCode::gdevid, 8},
    {CommandCode::gip, 8},
    {CommandCode::sip, 63},
    {CommandCode::gbkip, 8},
    {CommandCode::gbksecip, 8},
    {CommandCode::gbkname, 8},
    {CommandCode::sbkip, 79},
    {CommandCode::sbksecip, 79},
    {CommandCode::gswver, 148},
    {CommandCode::gdevfeature, 44},
    {CommandCode::sprog, 268},
}};

// The name a bound text field goes by in a refusal.
std::string_view BoundTextName(CommandCode set, std::uint16_t pos, std::string_view fallback) {
    for (const FieldBinding& field : FieldBindings()) {
        if (field.set == set && field.pos == pos && !field.what.empty())
            return field.what;
    }
    return fallback;
}

RequestProblem CheckTexts(const CommandMessage& message, CommandCode code, std::string_view what) {
    for (const ArgField& field : Command(code).request.All()) {
        if (field.type != ArgType::Text)
            continue;
        if (RequestProblem problem = WireTextProblem(message.Text(field.offset, field.size), field.size,
                                                     BoundTextName(code, field.offset, what)))
            return problem;
    }
    return std::nullopt;
}

constexpr std::uint16_t FieldEnd(std::span<const ArgField> fields) {
    std::uint16_t end = kArgumentOffset;
    for (const ArgField& field : fields) {
        if (field.type != ArgType::Skip)
            end = std::max<std::uint16_t>(end, static_cast<std::uint16_t>(field.offset + field.size));
    }
    return end;
}

constexpr std::uint16_t WorkOutBodyLength(CommandCode code) {
    for (const BodyLengthOverride& entry : kBodyLengths) {
        if (entry.code == code)
            return entry.bodyLength;
    }
    const CommandInfo& info = Command(code);
    std::uint16_t end = std::max(FieldEnd(info.request.All()), FieldEnd(info.reply.All()));
    if (!info.clearBeforeReply.Empty())
        end = std::max<std::uint16_t>(end, static_cast<std::uint16_t>(info.clearBeforeReply.last + 1));
    const std::uint16_t size = static_cast<std::uint16_t>(end - kArgumentOffset);
    return static_cast<std::uint16_t>(8 + (size + 3) / 4 * 4);
}

// Worked out once for every word rather than for every request sent.
constexpr std::array<std::uint16_t, kCommandCount> kBodyLengthOf = [] {
    std::array<std::uint16_t, kCommandCount> lengths{};
    for (std::size_t code = 0; code < kCommandCount; ++code)
        lengths[code] = WorkOutBodyLength(static_cast<CommandCode>(code));
    return lengths;
}();

}  // namespace

std::uint16_t RequestWriter::BodyLength(CommandCode code) {
    return kBodyLengthOf[ToCode(code)];
}

RequestProblem RequestWriter::SendRecord(CommandMessage& message, CommandCode code, std::string_view what) {
    if (RequestProblem problem = CheckTexts(message, code, what))
        return problem;
    message.code = ToCode(code);
    message.bodyLength = BodyLength(code);
    sink_.SendRequest(message);
    return std::nullopt;
}

RequestProblem RequestWriter::TextProblem(const CommandMessage& message, CommandCode code,
                                          std::string_view what) {
    return CheckTexts(message, code, what);
}

void RequestWriter::Send(CommandCode code, std::initializer_list<RequestArg> args) {
    CommandMessage message;
    for (const RequestArg& arg : args)
        message.SetInt(arg.pos, arg.value);
    SendRecord(message, code);
}

RequestProblem RequestWriter::SendText(CommandCode code, std::initializer_list<RequestArg> args,
                                       std::uint16_t textPos, std::uint16_t textSize, std::string_view text,
                                       std::string_view what) {
    // Checked before it is copied: the record's field would cut an overlong text silently.
    if (RequestProblem problem = WireTextProblem(text, textSize, what))
        return problem;
    CommandMessage message;
    for (const RequestArg& arg : args)
        message.SetInt(arg.pos, arg.value);
    message.SetText(textPos, textSize, text);
    return SendRecord(message, code, what);
}

RequestProblem RequestWriter::SendSetting(CommandCode set, std::int32_t key) {
    return SendSetting(set, state_.config, key);
}

RequestProblem RequestWriter::SendSetting(CommandCode set, const ConfigBlock& config, std::int32_t key) {
    CommandMessage message;
    if (!FillSetRequest(config, set, key, message))
        return std::nullopt;
    return SendRecord(message, set);
}

void RequestWriter::SendCardSetting(CommandCode set, std::int32_t card, std::int32_t index,
                                    std::int32_t group) {
    CommandMessage message;
    if (FillCardSetRequest(state_.config, set, card, index, group, message))
        SendRecord(message, set);
}

}  // namespace velmar
