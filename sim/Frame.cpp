#include "sim/Frame.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>

#include "sim/FactoryState.h"
#include "sim/Ipv4Text.h"

namespace velmar::sim {
namespace {

using C = CommandCode;

constexpr std::int64_t kGoingAwayMs = 300;
constexpr std::size_t kFirmwareTextOffset = 18;
constexpr std::size_t kFirmwareTextSize = kMessageSize - kFirmwareTextOffset;
constexpr std::size_t kDanteNameSize = 32;
constexpr int kIpChannels = 64;
constexpr std::size_t kMaxPpmStreams = 32;
constexpr int kMaxPpmChannels = 255;
constexpr std::int32_t kFlowSlots = 8;
constexpr std::int32_t kExtendedChannelBase = 2048;
// Routes to devices outside the rack are kept, but not without end.
constexpr std::size_t kMaxForeignRoutes = 512;

// A table, not comparisons: every firmware record runs each of its digits through it.
constexpr auto kHexDigits = [] {
    std::array<std::int8_t, 256> table{};
    table.fill(-1);
    for (int i = 0; i < 10; ++i)
        table[static_cast<std::size_t>('0' + i)] = static_cast<std::int8_t>(i);
    for (int i = 0; i < 6; ++i) {
        table[static_cast<std::size_t>('A' + i)] = static_cast<std::int8_t>(10 + i);
        table[static_cast<std::size_t>('a' + i)] = static_cast<std::int8_t>(10 + i);
    }
    return table;
}();

int HexDigit(char c) {
    return kHexDigits[static_cast<unsigned char>(c)];
}

// A Motorola S-record: "S", its type digit, then hex bytes: the count of the bytes that follow,
// address and data, and a checksum that makes the low byte of their sum 0xFF.
bool ValidSRecord(std::string_view line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    if (line.size() < 4 || line[0] != 'S' || line[1] < '0' || line[1] > '9' || line.size() % 2 != 0)
        return false;
    // One pass with no branch per byte and no allocation: a digit that is not hex reads as -1,
    // which leaves its sign in `bad`.
    int bad = 0;
    int sum = 0;
    for (std::size_t i = 2; i < line.size(); i += 2) {
        const int high = HexDigit(line[i]);
        const int low = HexDigit(line[i + 1]);
        bad |= high | low;
        sum += high * 16 + low;
    }
    const std::size_t declared = static_cast<std::size_t>(HexDigit(line[2]) * 16 + HexDigit(line[3]));
    return bad >= 0 && declared == (line.size() - 2) / 2 - 1 && (sum & 0xFF) == 0xFF;
}

std::string_view FirmwareText(const CommandMessage& request) {
    const char* begin = reinterpret_cast<const char*>(request.Bytes() + kFirmwareTextOffset);
    const void* zero = std::memchr(begin, 0, kFirmwareTextSize);
    return {begin,
            zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - begin) : kFirmwareTextSize};
}

// The source channel of an IP route travels as text: "01".."64", or empty for no route.
std::optional<int> IpChannel(std::string_view text) {
    if (text.empty() || text.size() > 2)
        return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > kIpChannels)
        return std::nullopt;
    return value;
}

bool IsLocalhost(std::string_view name) {
    return name.empty() || name == "localhost";
}

}  // namespace

Frame::Frame(FrameDescription description, DanteDirectory& directory, const MessageCodec& codec,
             std::int64_t restartMs)
    : description_(std::move(description)),
      directory_(directory),
      lines_(codec),
      restartMs_(restartMs),
      mode_(description_.mode),
      nextMode_(description_.mode) {
    FactoryState::Fill(description_, store_);
}

int Frame::ChannelCount() const {
    const CommandMessage version = store_.Read(RecordStore::Key(C::gswver, {2}));
    const bool newFirmware = VersionNumber(version.Text(86, 17)) > 2000000;
    return ModelClass(description_.model) == 0 && newFirmware ? 1536 : 1024;
}

std::string Frame::Name() const {
    return std::string(store_.Read(RecordStore::Key(C::gdevid, {})).Text(18, 17));
}

std::string Frame::DanteName() const {
    if (description_.danteName.empty())
        return {};
    return std::string(store_.Read(RecordStore::Key(C::gbkname, {})).Text(14, kDanteNameSize));
}

int Frame::AliveSeconds() const {
    return store_.Read(RecordStore::Key(C::galivetime, {})).Int(14);
}

std::string Frame::Describe() const {
    std::string line = "frame " + description_.address +
                       " model=" + std::string(ModelName(description_.model)) +
                       " mode=" + std::string(ModeName(mode_)) + " name='" + Name() +
                       "' id=" + std::to_string(store_.Read(RecordStore::Key(C::gdevid, {})).Int(14)) +
                       " serial=" + description_.serial + " channels=" + std::to_string(ChannelCount());
    if (!description_.danteName.empty())
        line += " dante=" + DanteName();
    return line;
}

// ---- replies ----

void Frame::Reply(const CommandMessage& request, std::int32_t status, Responses& out) const {
    CommandMessage record = request;
    if (request.code == kFailedParseCode) {
        // The codec leaves its failure marks in the argument area; the answer names the word
        // when it was known and carries no arguments of its own.
        const std::int32_t code = request.Int(18);
        record.Clear();
        record.code = static_cast<std::uint16_t>(
            code > 0 && code < static_cast<std::int32_t>(kCommandCount) ? code : ToCode(C::error));
        record.tag = request.tag;
    }
    record.flags = MessageFlags::kReply;
    record.status = status;
    lines_.Line(out.reply, record);
}

void Frame::ReplyRecord(const CommandMessage& request, CommandMessage record, Responses& out) const {
    record.code = request.code;
    record.flags = MessageFlags::kReply;
    record.status = FrameStatus::kOk;
    record.tag = request.tag;
    lines_.Line(out.reply, record);
}

void Frame::Notify(CommandMessage record, Responses& out) const {
    record.flags = 0;
    record.status = 0;
    record.tag = 0;
    lines_.Line(out.notify, record);
}

std::int32_t Frame::CheckNeeds(const CommandRule& rule, const CommandMessage& request) const {
    switch (rule.needs) {
        case Needs::Matrix:
            return ModelClass(description_.model) == 2 ? FrameStatus::kNotAvailable : FrameStatus::kOk;
        case Needs::Dante:
            return description_.danteName.empty() ? FrameStatus::kNotAvailable : FrameStatus::kOk;
        case Needs::PpmStream:
            return store_.Find(RecordStore::Key(C::gppminfo, {request.Int(14)})) ? FrameStatus::kOk
                                                                                 : FrameStatus::kBadArgument;
        default:
            return FrameStatus::kOk;
    }
}

std::int32_t Frame::CheckBound(const KeyField& field, std::int32_t value, Needs needs) const {
    auto within = [value](std::int32_t low, std::int32_t high) {
        return value >= low && value <= high ? FrameStatus::kOk : FrameStatus::kBadArgument;
    };
    switch (field.bound) {
        case Bound::None:
        case Bound::Any:
            return FrameStatus::kOk;
        case Bound::Board:
            return within(1, 20);
        case Bound::Card: {
            if (within(1, kCardSlots) != FrameStatus::kOk)
                return FrameStatus::kBadArgument;
            static constexpr CardKind kKindOf[] = {CardKind::None, CardKind::None, CardKind::None,
                                                   CardKind::None, CardKind::Sdi,  CardKind::Ad,
                                                   CardKind::Da,   CardKind::Aes,  CardKind::Madi};
            return description_.cards[static_cast<std::size_t>(value - 1)] ==
                           kKindOf[static_cast<std::size_t>(needs)]
                       ? FrameStatus::kOk
                       : FrameStatus::kNotAvailable;
        }
        case Bound::CardChannel:
            return within(1, 8);
        case Bound::CardPort:
        case Bound::Module:
        case Bound::Psu:
            return within(1, 2);
        case Bound::Group:
            return within(1, 4);
        case Bound::MadiPort:
        case Bound::Fan:
            return within(1, 3);
        case Bound::Feature:
            return within(1, 32);
        case Bound::SyncSource:
            return within(2, 18);
        case Bound::MainInput:
            return within(1, 14);
        case Bound::Selector:
            return within(0, 1);
        case Bound::Channel:
            return within(1, ChannelCount());
        case Bound::Source:
            return within(0, ChannelCount());
        case Bound::LabelChannel:
            return within(1, 2048);
        case Bound::Flow:
            return within(1, 32);
        case Bound::Slot:
            return within(0, 7);
        case Bound::PpmId:
            return within(1, 65535);
        case Bound::PpmChannel:
            return within(1, kMaxPpmChannels);
        case Bound::Range:
            return within(field.low, field.high);
    }
    return FrameStatus::kBadArgument;
}

std::int32_t Frame::CheckKeys(const CommandRule& rule, const CommandMessage& request) const {
    for (std::size_t i = 0; i < rule.keyCount; ++i) {
        const std::int32_t status = CheckBound(rule.keys[i], request.Int(rule.keys[i].offset), rule.needs);
        if (status != FrameStatus::kOk)
            return status;
    }
    return FrameStatus::kOk;
}

std::int32_t Frame::CheckRequest(const CommandMessage& request) const {
    const CommandRule& rule = RuleOf(request.code);
    const std::int32_t status = CheckNeeds(rule, request);
    return status != FrameStatus::kOk ? status : CheckKeys(rule, request);
}

std::int32_t Frame::CheckValues(const CommandRule& rule, const CommandMessage& request) const {
    for (std::size_t i = 0; i < rule.valueCount; ++i) {
        if (CheckBound(rule.values[i], request.Int(rule.values[i].offset), rule.needs) != FrameStatus::kOk)
            return FrameStatus::kBadArgument;
    }
    switch (static_cast<C>(rule.store)) {
        case C::gip:
        case C::gbkip:
        case C::gbksecip:
            return CheckLan(static_cast<C>(rule.store), request);
        case C::gcrtxflow:
        case C::gcrrxflow:
            return CheckFlow(static_cast<C>(rule.store), request);
        case C::gtxflowslot:
        case C::grxflowslot:
            return CheckFlowSlot(static_cast<C>(rule.store), request);
        default:
            return FrameStatus::kOk;
    }
}

// A fixed address needs an address of its own and dotted texts throughout; with DHCP the texts
// are not looked at (the console sends 0.0.0.0).
std::int32_t Frame::CheckLan(CommandCode store, const CommandMessage& request) const {
    if (request.Int(14) == 1)
        return FrameStatus::kOk;
    bool valid = IsHostAddressText(request.Text(18, 16)) && IsIpv4Text(request.Text(34, 16)) &&
                 IsIpv4Text(request.Text(50, 16));
    if (store != C::gip)
        valid = valid && IsIpv4Text(request.Text(66, 16));  // the DNS server of a Dante interface
    return valid ? FrameStatus::kOk : FrameStatus::kBadArgument;
}

// A flow is created on a free ID and a port no other flow of its direction uses; a Tx flow needs
// a plain destination, an Rx flow a latency the interface can do. Zero slots deletes.
std::int32_t Frame::CheckFlow(CommandCode store, const CommandMessage& request) const {
    if (request.Int(18) == 0)
        return FrameStatus::kOk;
    if (store_.Read(RecordStore::KeyOf(store, request)).Int(18) > 0)
        return FrameStatus::kBadArgument;
    const bool tx = store == C::gcrtxflow;
    const std::size_t portAt = tx ? 38 : 22;
    bool portInUse = false;
    store_.ForEach(store, [&](const CommandMessage& flow) {
        portInUse = portInUse || (flow.Int(18) > 0 && flow.Int(portAt) == request.Int(portAt));
    });
    if (portInUse)
        return FrameStatus::kBadArgument;
    if (tx)
        return IsHostAddressText(request.Text(22, 16)) ? FrameStatus::kOk : FrameStatus::kBadArgument;
    const std::int32_t maxLatency = store_.Read(RecordStore::Key(C::gmaxlatencyip, {})).Int(46);
    return request.Int(26) <= maxLatency ? FrameStatus::kOk : FrameStatus::kBadArgument;
}

std::int32_t Frame::CheckFlowSlot(CommandCode store, const CommandMessage& request) const {
    const CommandCode flowWord = store == C::gtxflowslot ? C::gcrtxflow : C::gcrrxflow;
    const std::int32_t slots = store_.Read(RecordStore::Key(flowWord, {request.Int(14)})).Int(18);
    return request.Int(18) < slots ? FrameStatus::kOk : FrameStatus::kBadArgument;
}

// ---- requests ----

void Frame::Handle(const CommandMessage& request, Responses& out, std::int64_t now) {
    if (request.code == kFailedParseCode) {
        Reply(request, request.Int(18) == 0 ? FrameStatus::kUnknownCommand : FrameStatus::kBadArgument, out);
        return;
    }
    if (request.code >= kCommandCount)
        return;
    if (faults_.ignoreSets && KindOf(static_cast<CommandCode>(request.code)) == CommandKind::Set)
        return;
    if (std::int32_t& mute = faults_.muteAfter[request.code]; mute != 0) {
        if (mute == 1)
            return;
        --mute;
    }
    if (const std::int32_t forced = faults_.status[request.code]; forced != 0) {
        Reply(request, forced, out);
        return;
    }
    const CommandRule& rule = RuleOf(request.code);
    if (rule.handling == Handling::Unknown) {
        Reply(request, FrameStatus::kUnknownCommand, out);
        return;
    }
    if (mode_ == FrameMode::Recovery && !rule.inRecovery) {
        Reply(request, FrameStatus::kNotAvailable, out);
        return;
    }
    switch (rule.handling) {
        case Handling::Get:
            HandleGet(rule, request, out);
            break;
        case Handling::Set:
            HandleSet(rule, request, out);
            break;
        case Handling::List:
            HandleList(rule, request, out);
            break;
        case Handling::Echo:
            Reply(request, FrameStatus::kOk, out);
            break;
        case Handling::Maintenance:
            HandleMaintenance(request, out, now);
            break;
        case Handling::Special:
            HandleSpecial(request, out);
            break;
        case Handling::Unknown:
            break;
    }
}

void Frame::HandleGet(const CommandRule& rule, const CommandMessage& request, Responses& out) const {
    std::int32_t status = CheckNeeds(rule, request);
    if (status == FrameStatus::kOk)
        status = CheckKeys(rule, request);
    if (status != FrameStatus::kOk) {
        Reply(request, status, out);
        return;
    }
    ReplyRecord(request, store_.Read(RecordStore::KeyOf(rule.store, request)), out);
}

std::int32_t Frame::HandleSet(const CommandRule& rule, const CommandMessage& request, Responses& out) {
    std::int32_t status = CheckNeeds(rule, request);
    if (status == FrameStatus::kOk)
        status = CheckKeys(rule, request);
    if (status == FrameStatus::kOk)
        status = CheckValues(rule, request);
    if (status != FrameStatus::kOk) {
        Reply(request, status, out);
        return status;
    }
    CommandMessage& record = store_.Write(RecordStore::KeyOf(rule.store, request));
    if (rule.valueFrom != 0) {
        record.SetInt(rule.valueTo, request.Int(rule.valueFrom));
        Reply(request, FrameStatus::kOk, out);
    } else {
        for (const ArgField& field : Command(request.code).request.All()) {
            std::memcpy(record.Bytes() + field.offset, request.Bytes() + field.offset, field.size);
        }
        Lease(static_cast<C>(rule.store), record);
        // The answer carries what the frame now holds, which is not always what was asked (DHCP).
        ReplyRecord(request, record, out);
    }
    Notify(record, out);
    AfterSet(static_cast<C>(rule.store), record, out);
    return FrameStatus::kOk;
}

// With DHCP on, an interface reports the address it was leased: the one it was made with.
void Frame::Lease(CommandCode store, CommandMessage& record) const {
    if ((store != C::gip && store != C::gbkip && store != C::gbksecip) || record.Int(14) != 1)
        return;
    const CommandMessage leased = FactoryState::Record(description_, RecordStore::Key(store, {}));
    const std::size_t texts = store == C::gip ? 3 : 4;
    std::memcpy(record.Bytes() + 18, leased.Bytes() + 18, 16 * texts);
}

// State that follows from a stored set: the actual rate, the unicast clock status, the slots
// of a deleted flow, the status of a switched-off detector, and a PPM assignment in both of its
// forms (plain and extended words read one table).
void Frame::AfterSet(CommandCode store, const CommandMessage& record, Responses& out) {
    switch (store) {
        case C::ggenrate: {
            CommandMessage& actual = store_.Write(RecordStore::Key(C::gactrate, {}));
            actual.SetInt(14, record.Int(14));
            Notify(actual, out);
            return;
        }
        case C::guniclkip: {
            CommandMessage& clockStatus = store_.Write(RecordStore::Key(C::guniclkstip, {}));
            clockStatus.SetInt(14, record.Int(14));
            clockStatus.SetText(18, 31, record.Int(14) != 0 ? "Unicast clocking on" : "Unicast clocking off");
            Notify(clockStatus, out);
            return;
        }
        case C::gcrtxflow:
        case C::gcrrxflow:
            if (record.Int(18) == 0) {
                const C slotWord = store == C::gcrtxflow ? C::gtxflowslot : C::grxflowslot;
                for (std::int32_t slot = 0; slot < kFlowSlots; ++slot)
                    store_.Erase(RecordStore::Key(slotWord, {record.Int(14), slot}));
            }
            return;
        case C::gppmchn: {
            CommandMessage& extended =
                store_.Write(RecordStore::Key(C::gppmextchn, {record.Int(14), record.Int(18)}));
            extended.SetInt(22, record.Int(22) > kExtendedChannelBase ? 1 : 0);
            extended.SetInt(26, record.Int(22) > kExtendedChannelBase ? record.Int(22) - kExtendedChannelBase
                                                                      : record.Int(22));
            return;
        }
        case C::gppmextchn:
            store_.Write(RecordStore::Key(C::gppmchn, {record.Int(14), record.Int(18)}))
                .SetInt(22, record.Int(26) + (record.Int(22) != 0 ? kExtendedChannelBase : 0));
            return;
        case C::glevdetstate:
            if (record.Int(22) == 0) {
                const RecordKey statusKey =
                    RecordStore::Key(C::glevdetstatus, {record.Int(14), record.Int(18)});
                if (store_.Read(statusKey).Int(22) != 0) {
                    CommandMessage& detector = store_.Write(statusKey);
                    detector.SetInt(22, 0);
                    Notify(detector, out);
                }
            }
            return;
        default:
            return;
    }
}

void Frame::HandleList(const CommandRule& rule, const CommandMessage& request, Responses& out) const {
    const std::int32_t first = request.Int(rule.listFirst);
    const std::int32_t count = request.Int(rule.listCount);
    const Bound channelBound = rule.keys[rule.keyCount - 1].bound;
    std::int32_t status = CheckNeeds(rule, request);
    if (status == FrameStatus::kOk && rule.keyCount == 2)
        status = CheckBound(rule.keys[0], request.Int(14), rule.needs);
    if (status == FrameStatus::kOk && (count < 0 || count > rule.listMax))
        status = FrameStatus::kBadArgument;
    if (status == FrameStatus::kOk && count > 0) {
        status = CheckBound(rule.keys[rule.keyCount - 1], first, rule.needs);
        if (status == FrameStatus::kOk)
            status = CheckBound(rule.keys[rule.keyCount - 1], first + count - 1, rule.needs);
    }
    // The console's reader refuses an input-status run that reaches input 16.
    if (status == FrameStatus::kOk && channelBound == Bound::MainInput && first + count >= 16)
        status = FrameStatus::kBadArgument;
    if (status != FrameStatus::kOk) {
        Reply(request, status, out);
        return;
    }
    CommandMessage leading = request;
    leading.flags = MessageFlags::kReply;
    leading.status = FrameStatus::kOk;
    const std::uint16_t tag = leading.tag;
    leading.tag = 0;  // the tag, if any, goes after the values
    lines_.Begin(out.reply, leading);
    std::array<std::int32_t, kMaxKeys> key{};
    if (rule.keyCount == 2)
        key[0] = request.Int(14);
    for (std::int32_t i = 0; i < count; ++i) {
        key[rule.keyCount - 1] = first + i;
        LineBuilder::Value(out.reply, store_.Read(RecordStore::Key(rule.store, key)), rule.listValue);
    }
    if (tag != 0)
        out.reply += ",*" + std::to_string(tag);
    LineBuilder::End(out.reply);
}

void Frame::HandleMaintenance(const CommandMessage& request, Responses& out, std::int64_t now) {
    switch (static_cast<C>(request.code)) {
        case C::sprog:
            HandleFirmware(request, out);
            return;
        case C::srestart:
            Reply(request, FrameStatus::kOk, out);
            Restart(now, mode_);
            out.restart = true;
            return;
        case C::sclear:
            FactoryState::Fill(description_, store_);
            foreignRoutes_.clear();
            programming_ = false;
            Reply(request, FrameStatus::kOk, out);
            return;
        case C::sloadboot:
            Reply(request, FrameStatus::kOk, out);
            Restart(now, FrameMode::Recovery);
            out.restart = true;
            return;
        case C::sloadapp:
            Reply(request, FrameStatus::kOk, out);
            Restart(now, FrameMode::Application);
            out.restart = true;
            return;
        default:
            Reply(request, FrameStatus::kUnknownCommand, out);
            return;
    }
}

void Frame::HandleFirmware(const CommandMessage& request, Responses& out) {
    // A stalled frame takes the rest of the run in and answers none of it, so the console's
    // watchdog is what ends the run.
    const bool stalled =
        programming_ && faults_.progStallAfter >= 0 && recordsReceived_ >= faults_.progStallAfter;
    if (stalled && request.Int(14) != 0)
        return;
    switch (request.Int(14)) {
        case 0:
            programming_ = true;
            recordsReceived_ = 0;
            Reply(request, FrameStatus::kOk, out);
            return;
        case 1:
            if (!programming_ || !ValidSRecord(FirmwareText(request))) {
                // A broken record spoils the image: the run has to start again from the top.
                programming_ = false;
                Reply(request, FrameStatus::kSequence, out);
                return;
            }
            if (recordsReceived_ + 1 == faults_.progErrorAt) {
                programming_ = false;
                Reply(request, FrameStatus::kFlashWrite, out);
                return;
            }
            ++recordsReceived_;
            Reply(request, FrameStatus::kOk, out);
            return;
        case 2:
            if (!programming_) {
                Reply(request, FrameStatus::kSequence, out);
                return;
            }
            programming_ = false;
            lastImageRecords_ = recordsReceived_;
            Reply(request, FrameStatus::kOk, out);
            return;
        default:
            Reply(request, FrameStatus::kBadArgument, out);
            return;
    }
}

void Frame::HandleSpecial(const CommandMessage& request, Responses& out) {
    switch (static_cast<C>(request.code)) {
        case C::aliverequest: {
            CommandMessage answer = request;
            answer.flags = MessageFlags::kReply | MessageFlags::kKeepAlive;
            answer.status = 0;
            lines_.Line(out.reply, answer);
            return;
        }
        case C::gcrossip:
        case C::scrossip:
            HandleIpRouting(request, out);
            return;
        case C::gmaxlatencyip:
        case C::gframeip:
        case C::glatencyip:
        case C::sperformip:
            HandleDanteTiming(request, out);
            return;
        case C::lgain:
            HandleGainList(request, out);
            return;
        default:
            HandlePpm(request, out);
            return;
    }
}

Frame* Frame::ResolveDante(std::string_view name) {
    if (IsLocalhost(name))
        return description_.danteName.empty() ? nullptr : this;
    Frame* frame = directory_.FindByDanteName(name);
    return frame && !frame->description_.danteName.empty() ? frame : nullptr;
}

void Frame::HandleIpRouting(const CommandMessage& request, Responses& out) {
    if (description_.danteName.empty()) {
        Reply(request, FrameStatus::kNotAvailable, out);
        return;
    }
    const std::int32_t channel = request.Int(14);
    if (channel < 1 || channel > kIpChannels) {
        Reply(request, FrameStatus::kBadArgument, out);
        return;
    }
    // The route lives in the receiving frame; one for a device outside the rack stays here.
    const std::string_view destinationName = request.Text(18, kDanteNameSize);
    Frame* destination = ResolveDante(destinationName);
    const RecordKey key{ToCode(C::gcrossip), {channel, 0, 0}};
    const auto foreignKey = std::make_pair(std::string(destinationName), channel);
    if (request.code == ToCode(C::gcrossip)) {
        const auto foreign = foreignRoutes_.find(foreignKey);
        CommandMessage record = destination                       ? destination->store_.Read(key)
                                : foreign != foreignRoutes_.end() ? foreign->second
                                                                  : CommandMessage{};
        record.SetInt(14, channel);
        record.SetText(18, kDanteNameSize, destinationName);
        ReplyRecord(request, record, out);
        return;
    }
    const std::string_view channelText = request.Text(50, kDanteNameSize);
    const std::string_view sourceName = request.Text(82, kDanteNameSize);
    const bool remove = channelText.empty();
    Frame* source = remove ? nullptr : ResolveDante(sourceName);
    const bool full =
        !destination && !foreignRoutes_.contains(foreignKey) && foreignRoutes_.size() >= kMaxForeignRoutes;
    if ((!remove && !IpChannel(channelText)) || (source && source == destination) || (!remove && full)) {
        Reply(request, FrameStatus::kBadArgument, out);
        return;
    }
    // A name the rack does not know is kept as sent: such a route is accepted, and unresolved.
    CommandMessage route;
    route.code = ToCode(C::gcrossip);
    route.SetInt(14, channel);
    route.SetText(18, kDanteNameSize, destination ? destination->DanteName() : std::string(destinationName));
    if (!remove) {
        route.SetText(50, kDanteNameSize, channelText);
        route.SetText(82, kDanteNameSize, source ? source->DanteName() : std::string(sourceName));
    }
    if (destination)
        destination->store_.Write(key) = route;
    else if (remove)
        foreignRoutes_.erase(foreignKey);
    else
        foreignRoutes_[foreignKey] = route;
    Reply(request, FrameStatus::kOk, out);
    Notify(route, out);
}

std::vector<std::string> Frame::IpRoutes() {
    std::vector<CommandMessage> routes;
    store_.ForEach(C::gcrossip, [&routes](const CommandMessage& route) { routes.push_back(route); });
    std::sort(routes.begin(), routes.end(),
              [](const CommandMessage& a, const CommandMessage& b) { return a.Int(14) < b.Int(14); });
    for (const auto& [key, route] : foreignRoutes_)
        routes.push_back(route);
    std::vector<std::string> lines;
    for (const CommandMessage& route : routes) {
        const std::string_view channelText = route.Text(50, kDanteNameSize);
        if (channelText.empty())
            continue;
        const std::string_view destination = route.Text(18, kDanteNameSize);
        const std::string_view source = route.Text(82, kDanteNameSize);
        const bool resolved = directory_.FindByDanteName(destination) && directory_.FindByDanteName(source);
        lines.push_back("route " + std::to_string(route.Int(14)) + " '" + std::string(destination) + "' " +
                        std::string(channelText) + " '" + std::string(source) + "' " +
                        (resolved ? "resolved" : "unresolved"));
    }
    return lines;
}

void Frame::HandleDanteTiming(const CommandMessage& request, Responses& out) {
    Frame* target = ResolveDante(request.Text(14, kDanteNameSize));
    if (!target) {
        Reply(request,
              description_.danteName.empty() ? FrameStatus::kNotAvailable : FrameStatus::kBadArgument, out);
        return;
    }
    if (request.code != ToCode(C::sperformip)) {
        CommandMessage record = target->store_.Read(RecordStore::Key(static_cast<C>(request.code), {}));
        record.SetText(14, kDanteNameSize, request.Text(14, kDanteNameSize));
        ReplyRecord(request, record, out);
        return;
    }
    const std::int32_t frameRate = request.Int(50);
    const std::int32_t latency = request.Int(46);
    const std::int32_t maxLatency = target->store_.Read(RecordStore::Key(C::gmaxlatencyip, {})).Int(46);
    if (frameRate < 1 || latency < 0 || latency > maxLatency) {
        Reply(request, FrameStatus::kBadArgument, out);
        return;
    }
    CommandMessage& rate = target->store_.Write(RecordStore::Key(C::gframeip, {}));
    rate.SetInt(46, frameRate);
    CommandMessage& delay = target->store_.Write(RecordStore::Key(C::glatencyip, {}));
    delay.SetInt(46, latency);
    Reply(request, FrameStatus::kOk, out);
    for (CommandMessage notification : {rate, delay}) {
        notification.SetText(14, kDanteNameSize, request.Text(14, kDanteNameSize));
        Notify(notification, out);
    }
}

void Frame::HandleGainList(const CommandMessage& request, Responses& out) const {
    const std::int32_t selector = request.Int(14);
    const std::int32_t first = request.Int(18);
    const std::int32_t count = request.Int(22);
    if (ModelClass(description_.model) == 2) {
        Reply(request, FrameStatus::kNotAvailable, out);
        return;
    }
    if (selector < 0 || selector > 1 || first < 1 || count < 0 || first + count - 1 > ChannelCount()) {
        Reply(request, FrameStatus::kBadArgument, out);
        return;
    }
    // The gain window fills from one gain report per channel; the list word itself only confirms.
    for (std::int32_t channel = first; channel < first + count; ++channel) {
        CommandMessage gain = store_.Read(RecordStore::Key(C::ggain, {selector, channel}));
        gain.code = ToCode(C::ggain);
        gain.flags = MessageFlags::kReply;
        lines_.Line(out.reply, gain);
    }
    Reply(request, FrameStatus::kOk, out);
}

void Frame::HandlePpm(const CommandMessage& request, Responses& out) {
    std::vector<std::uint32_t> ids;
    store_.ForEach(C::gppminfo, [&ids](const CommandMessage& record) { ids.push_back(record.Uint(14)); });
    std::sort(ids.begin(), ids.end());
    const std::uint32_t id = request.Uint(14);
    const bool exists = std::binary_search(ids.begin(), ids.end(), id);
    const RecordKey infoKey = RecordStore::Key(C::gppminfo, {static_cast<std::int32_t>(id)});
    const RecordKey enableKey = RecordStore::Key(C::gppmenable, {static_cast<std::int32_t>(id)});
    if (ModelClass(description_.model) == 2) {
        Reply(request, FrameStatus::kNotAvailable, out);
        return;
    }
    switch (static_cast<C>(request.code)) {
        case C::lppmid: {
            CommandMessage leading = request;
            leading.flags = MessageFlags::kReply;
            leading.status = 0;
            lines_.Begin(out.reply, leading);
            for (const std::uint32_t each : ids)
                out.reply += "," + std::to_string(each);
            LineBuilder::End(out.reply);
            return;
        }
        case C::gppmid: {
            CommandMessage answer = request;
            std::uint32_t next = 1;
            while (std::binary_search(ids.begin(), ids.end(), next))
                ++next;
            answer.SetUint(14, next);
            ReplyRecord(request, answer, out);
            return;
        }
        case C::sppmcreate: {
            const std::int32_t channels = request.Int(18);
            const std::int32_t rate = request.Int(22);
            const std::int32_t port = request.Int(30);
            if (id < 1 || id > 65535 || exists || ids.size() >= kMaxPpmStreams || channels < 1 ||
                channels > kMaxPpmChannels || rate < 10 || rate > 60000 || port < 1 || port > 65535 ||
                request.Text(34, 16).empty()) {
                Reply(request, FrameStatus::kBadArgument, out);
                return;
            }
            // Only the description is kept: a simulated frame sends no meter data anywhere.
            CommandMessage& info = store_.Write(infoKey);
            for (const ArgField& field : Command(C::sppmcreate).request.All()) {
                std::memcpy(info.Bytes() + field.offset, request.Bytes() + field.offset, field.size);
            }
            info.SetInt(50, 0);
            store_.Write(enableKey).SetInt(18, 0);
            Reply(request, FrameStatus::kOk, out);
            Notify(info, out);
            return;
        }
        case C::sppmdelete:
            if (!exists) {
                Reply(request, FrameStatus::kBadArgument, out);
                return;
            }
            store_.Erase(infoKey);
            store_.Erase(enableKey);
            for (std::int32_t ch = 1; ch <= kMaxPpmChannels; ++ch) {
                store_.Erase(RecordStore::Key(C::gppmchn, {static_cast<std::int32_t>(id), ch}));
                store_.Erase(RecordStore::Key(C::gppmextchn, {static_cast<std::int32_t>(id), ch}));
            }
            Reply(request, FrameStatus::kOk, out);
            Notify(request, out);
            return;
        case C::sppmenable: {
            if (!exists) {
                Reply(request, FrameStatus::kBadArgument, out);
                return;
            }
            const std::int32_t enable = request.Int(18) != 0 ? 1 : 0;
            store_.Write(infoKey).SetInt(50, enable);
            CommandMessage& record = store_.Write(enableKey);
            record.SetInt(18, enable);
            Reply(request, FrameStatus::kOk, out);
            Notify(record, out);
            return;
        }
        default:
            Reply(request, FrameStatus::kUnknownCommand, out);
            return;
    }
}

// ---- discovery, network message, restarts ----

std::optional<std::string> Frame::DiscoveryAnswer(std::int64_t now) const {
    const Phase phase = PhaseAt(now);
    if (phase == Phase::Down || faults_.silent)
        return std::nullopt;
    const CommandMessage id = store_.Read(RecordStore::Key(C::gdevid, {}));
    const CommandMessage info = store_.Read(RecordStore::Key(C::gdevinfo, {}));
    std::string answer = phase == Phase::GoingAway ? "!edev,0," : ":edev,0,";
    answer += std::to_string(static_cast<int>(mode_)) + "," + std::to_string(id.Int(14)) + ",'" +
              std::string(id.Text(18, 17)) + "','" + std::string(info.Text(14, 7)) + "','" +
              std::string(info.Text(26, 17)) + "'\r";
    return answer;
}

bool Frame::ApplyNetworkMessage(std::string_view datagram, Responses& out) {
    // Exactly %eip,'SERIAL',D,'ADDRESS','MASK','GATEWAY',F and a carriage return, D and F each
    // "0" or "1"; anything else is not this message and is ignored.
    std::string_view rest = datagram;
    auto literal = [&rest](std::string_view text) {
        if (!rest.starts_with(text))
            return false;
        rest.remove_prefix(text.size());
        return true;
    };
    auto quoted = [&rest](std::string_view& text) {
        const std::size_t end = rest.find('\'');
        if (end == std::string_view::npos)
            return false;
        text = rest.substr(0, end);
        rest.remove_prefix(end);
        return true;
    };
    auto flag = [&rest](std::int32_t& value) {
        if (rest.empty() || (rest.front() != '0' && rest.front() != '1'))
            return false;
        value = rest.front() - '0';
        rest.remove_prefix(1);
        return true;
    };
    std::string_view serial, address, mask, gateway;
    std::int32_t dhcp = 0;
    std::int32_t last = 0;
    const bool wellFormed = literal("%eip,'") && quoted(serial) && literal("',") && flag(dhcp) &&
                            literal(",'") && quoted(address) && literal("','") && quoted(mask) &&
                            literal("','") && quoted(gateway) && literal("',") && flag(last) && rest == "\r";
    if (!wellFormed || serial != store_.Read(RecordStore::Key(C::gdevinfo, {})).Text(26, 17))
        return false;
    if (!IsIpv4Text(address) || !IsIpv4Text(mask) || !IsIpv4Text(gateway))
        return false;
    // The same as an sip over the connection, whose answer nobody awaits.
    CommandMessage settings;
    settings.code = ToCode(C::sip);
    settings.flags = MessageFlags::kRequest;
    settings.SetInt(14, dhcp);
    settings.SetText(18, 16, address);
    settings.SetText(34, 16, mask);
    settings.SetText(50, 16, gateway);
    Responses answer;
    if (HandleSet(RuleOf(C::sip), settings, answer) != FrameStatus::kOk)
        return false;
    out.notify += answer.notify;
    return true;
}

void Frame::Restart(std::int64_t now, FrameMode next) {
    restarting_ = true;
    nextMode_ = next;
    programming_ = false;
    goingAwayUntil_ = now + std::min(kGoingAwayMs, restartMs_ / 2);
    downUntil_ = now + restartMs_;
}

Frame::Phase Frame::PhaseAt(std::int64_t now) const {
    if (!restarting_ || now >= downUntil_)
        return Phase::Up;
    return now < goingAwayUntil_ ? Phase::GoingAway : Phase::Down;
}

bool Frame::Advance(std::int64_t now) {
    if (!restarting_ || now < downUntil_)
        return false;
    restarting_ = false;
    mode_ = nextMode_;
    return true;
}

std::int64_t Frame::NextEventAt() const {
    return restarting_ ? downUntil_ : INT64_MAX;
}

}  // namespace velmar::sim
