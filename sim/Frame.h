#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "protocol/MessageCodec.h"
#include "sim/DanteDirectory.h"
#include "sim/FaultSet.h"
#include "sim/FrameDescription.h"
#include "sim/LineBuilder.h"
#include "sim/RecordStore.h"

namespace velmar::sim {

// What one request makes the frame send: lines for the client that asked, notifications for
// its other clients, and whether the frame now goes down for a restart.
struct Responses {
    std::string reply;
    std::string notify;
    bool restart = false;

    void Clear() {
        reply.clear();
        notify.clear();
        restart = false;
    }
};

// One emulated frame: its state as stored records, the answers to every request, discovery and
// the network-settings message, firmware records and restarts. It owns no socket and reads no
// clock; the server hands it each parsed request and the current time in milliseconds.
class Frame {
  public:
    enum class Phase : std::uint8_t { Up, GoingAway, Down };

    Frame(FrameDescription description, DanteDirectory& directory, const MessageCodec& codec,
          std::int64_t restartMs = 2000);

    const FrameDescription& Description() const { return description_; }
    const std::string& Address() const { return description_.address; }
    FrameMode Mode() const { return mode_; }
    int ChannelCount() const;
    std::string Name() const;
    std::string DanteName() const;  // empty without a Dante module
    // Seconds between the frame's own keep-alive requests; 0 sends none.
    int AliveSeconds() const;
    int LastImageRecords() const { return lastImageRecords_; }
    FaultSet& Faults() { return faults_; }
    const FaultSet& Faults() const { return faults_; }
    RecordStore& Store() { return store_; }

    void Handle(const CommandMessage& request, Responses& out, std::int64_t now);
    // The status a get request would be answered with for its keys and the hardware it needs.
    std::int32_t CheckRequest(const CommandMessage& request) const;

    // The answer to a discovery query, or nothing while the frame is down or silent.
    std::optional<std::string> DiscoveryAnswer(std::int64_t now) const;
    // Applies a "%eip" network-settings message when its serial number is this frame's; the
    // new settings go to the frame's clients as a notification.
    bool ApplyNetworkMessage(std::string_view datagram, Responses& out);
    // The IP routes this frame holds, one line each: channel, destination, source channel and
    // source, and whether both names are Dante names of the rack.
    std::vector<std::string> IpRoutes();

    void Restart(std::int64_t now, FrameMode next);
    Phase PhaseAt(std::int64_t now) const;
    // Completes a restart whose time is up; true when the frame has just come back.
    bool Advance(std::int64_t now);
    // When Advance next has something to do, or INT64_MAX.
    std::int64_t NextEventAt() const;

    // One line for the operator: address, model, mode, name, serial, channel count.
    std::string Describe() const;

  private:
    void Reply(const CommandMessage& request, std::int32_t status, Responses& out) const;
    void ReplyRecord(const CommandMessage& request, CommandMessage record, Responses& out) const;
    void Notify(CommandMessage record, Responses& out) const;
    std::int32_t CheckNeeds(const CommandRule& rule, const CommandMessage& request) const;
    std::int32_t CheckBound(const KeyField& field, std::int32_t value, Needs needs) const;
    std::int32_t CheckKeys(const CommandRule& rule, const CommandMessage& request) const;
    std::int32_t CheckValues(const CommandRule& rule, const CommandMessage& request) const;
    std::int32_t CheckLan(CommandCode store, const CommandMessage& request) const;
    std::int32_t CheckFlow(CommandCode store, const CommandMessage& request) const;
    std::int32_t CheckFlowSlot(CommandCode store, const CommandMessage& request) const;
    void Lease(CommandCode store, CommandMessage& record) const;
    void AfterSet(CommandCode store, const CommandMessage& record, Responses& out);

    void HandleGet(const CommandRule& rule, const CommandMessage& request, Responses& out) const;
    std::int32_t HandleSet(const CommandRule& rule, const CommandMessage& request, Responses& out);
    void HandleList(const CommandRule& rule, const CommandMessage& request, Responses& out) const;
    void HandleMaintenance(const CommandMessage& request, Responses& out, std::int64_t now);
    void HandleSpecial(const CommandMessage& request, Responses& out);
    void HandleFirmware(const CommandMessage& request, Responses& out);
    void HandleIpRouting(const CommandMessage& request, Responses& out);
    void HandleDanteTiming(const CommandMessage& request, Responses& out);
    void HandlePpm(const CommandMessage& request, Responses& out);
    void HandleGainList(const CommandMessage& request, Responses& out) const;
    Frame* ResolveDante(std::string_view name);

    FrameDescription description_;
    DanteDirectory& directory_;
    LineBuilder lines_;
    std::int64_t restartMs_;
    RecordStore store_;
    FaultSet faults_;
    FrameMode mode_;
    FrameMode nextMode_;
    std::int64_t goingAwayUntil_ = 0;
    std::int64_t downUntil_ = 0;
    bool restarting_ = false;
    // Routes for receiving channels of a device the rack does not hold, by its name and channel.
    std::map<std::pair<std::string, std::int32_t>, CommandMessage> foreignRoutes_;
    bool programming_ = false;
    int recordsReceived_ = 0;
    int lastImageRecords_ = 0;
};

}  // namespace velmar::sim
