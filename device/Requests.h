#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "device/ConnectionState.h"
#include "device/DeviceState.h"
#include "device/RequestSink.h"
#include "protocol/CommandTable.h"

namespace velmar {

// A value for one argument of a request, by its byte position in the record.
struct RequestArg {
    std::uint16_t pos = 0;
    std::int32_t value = 0;
};

// Why a request was not sent, as a sentence for the user; nothing when it went out. Only requests
// that carry texts refuse: a text the wire cannot carry (see WireTextProblem) sends nothing.
using RequestProblem = std::optional<std::string>;

// The catalogue of requests. Each operation fills one record (word, bodyLength, arguments) and
// hands it to the sink; set forms take their values from the frame state, never from a caller.
class Requests {
  public:
    Requests(RequestSink& sink, const DeviceState& state, const ConnectionState& connection)
        : sink_(sink), state_(state), connection_(connection) {}

    // bodyLength of a request: the catalogue's value where it gives one, else 8 plus the size of
    // the command's argument structure.
    static std::uint16_t BodyLength(CommandCode code);

    // Any request whose arguments are plain words.
    void Send(CommandCode code, std::initializer_list<RequestArg> args = {});

    // Get/set pairs of a single setting held in the configuration block (galivetime/salivetime,
    // ggenrate/sgenrate, gpsuconf/spsuconf, ...). `get` names the pair.
    void Setting(CommandCode get, bool set);

    RequestProblem DeviceId(bool set);
    RequestProblem NetworkSettings(bool set);
    void HardwareConfig(std::optional<std::int32_t> position);  // nothing: positions 2..20
    void SoftwareVersion(std::optional<std::int32_t> position);
    void DeviceFeature(std::int32_t group);
    void SyncPriorities(bool set);
    void MadiModes(std::optional<std::int32_t> port0, bool set);  // 0-based port, sent 1-based
    void PhdModes(bool set);
    void OptionalModuleMode(std::optional<std::int32_t> module, bool set);
    void Redundancy(bool set);
    void OptionalModuleInactive(std::optional<std::int32_t> module);
    void HotlinkModes(std::optional<std::int32_t> module, bool set);
    RequestProblem DanteNetwork(bool secondary, bool set);
    RequestProblem DanteName(bool set);
    void PsuStatus(std::int32_t supply);
    void FanStatus(std::int32_t fan);

    void Crosspoint(std::int32_t output);
    void SetCrosspoint(std::int32_t output, std::int32_t input);
    void CrosspointRuns();  // lcross for every block of 128 channels
    void MainInputStatusList();
    void CardSettings(std::int32_t card);  // every get of card n by its kind
    // One set form of a card word (sadinpmode ... schlinkoutmode) with the value held for card n.
    // `index` is the channel (1..8) or port (1..2) where the word is addressed by one, and
    // `group` the audio group (1..4) of sembmode and srxsrcena; out-of-range requests are not sent.
    void CardSetting(CommandCode set, std::int32_t card, std::int32_t index = 0, std::int32_t group = 0);

    void LabelRuns();  // llabel for both selectors over the frame's channels
    [[nodiscard]] RequestProblem SetLabel(std::int32_t selector, std::int32_t channel, std::string_view text);
    void GainLists();
    void LevelDetectorThresholds();
    void LevelDetectorRuns(CommandCode list);  // llevdetstate or llevdetstatus
    void PpmInfo(std::uint32_t id);

    // Automatic IP routing; names default to the frame's Dante name or "localhost".
    [[nodiscard]] RequestProblem CrossIp(std::int32_t channel, std::string_view destination);
    [[nodiscard]] RequestProblem SetCrossIp(std::int32_t channel, std::string_view destination,
                                            std::int32_t sourceChannel, std::string_view source);
    void Performance();                 // sperformip from danteFrame and danteLatency
    void DanteQuery(CommandCode code);  // gmaxlatencyip, gframeip, glatencyip

    void FirmwareBegin();
    void FirmwareRecord(std::string_view line);
    void FirmwareEnd();
    void Maintenance(CommandCode code, std::optional<std::int32_t> argument);  // srestart, sclear, ...

    // First channel of the gain, label and level-detector tools: 512 on a class-1 frame without
    // the zel option, else 0.
    std::int32_t ToolBase() const;
    std::string_view DanteHostName() const;

  private:
    void SendText(CommandCode code, std::initializer_list<RequestArg> args, std::uint16_t textPos,
                  std::uint16_t textSize, std::string_view text);
    void SendRecord(CommandMessage& message, CommandCode code);

    RequestSink& sink_;
    const DeviceState& state_;
    const ConnectionState& connection_;
};

}  // namespace velmar
