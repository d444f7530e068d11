#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "device/DeviceState.h"
#include "device/RequestSink.h"
#include "protocol/CommandTable.h"

namespace velmar {

// A value for one argument of a request, by its byte position in the record.
struct RequestArg {
    std::uint16_t pos = 0;
    std::int32_t value = 0;
};

// Why a request was not sent, as a sentence for the operator; nothing when it went out.
using RequestProblem = std::optional<std::string>;

// Builds request records and hands them to the link. The feature units build their requests
// with it; set forms of bound fields take their values from the frame state. Every text argument
// is checked before anything is sent: the codec writes texts between quotes without escaping, so
// a text the line cannot carry is refused whole rather than sent cut or as a second command.
class RequestWriter {
  public:
    RequestWriter(RequestSink& sink, const DeviceState& state) : sink_(sink), state_(state) {}

    // bodyLength of a request: the catalogue's value where it gives one, else 8 plus the size of
    // the command's argument structure.
    static std::uint16_t BodyLength(CommandCode code);

    // Any request whose arguments are plain words.
    void Send(CommandCode code, std::initializer_list<RequestArg> args = {});
    // A request with one text argument besides its words. `what` names the text in a refusal,
    // with its article: "A label", "A device name".
    RequestProblem SendText(CommandCode code, std::initializer_list<RequestArg> args, std::uint16_t textPos,
                            std::uint16_t textSize, std::string_view text, std::string_view what);
    // The set request of bound fields, filled from the state (`key` for keyed groups).
    RequestProblem SendSetting(CommandCode set, std::int32_t key = 0);
    // The same filled from another configuration: values wanted, not yet the frame's.
    RequestProblem SendSetting(CommandCode set, const ConfigBlock& config, std::int32_t key = 0);
    // A card parameter's set request, filled from the card's record; nothing for an entry out
    // of range.
    void SendCardSetting(CommandCode set, std::int32_t card, std::int32_t index, std::int32_t group);
    // Completes the header of a prepared record and sends it, unless one of its texts cannot
    // travel; `what` names the texts in the refusal.
    RequestProblem SendRecord(CommandMessage& message, CommandCode code, std::string_view what = "A text");
    // Why SendRecord would refuse the record, or nothing: for a caller that sends several
    // records only when all of them can go.
    static RequestProblem TextProblem(const CommandMessage& message, CommandCode code,
                                      std::string_view what = "A text");

  private:
    RequestSink& sink_;
    const DeviceState& state_;
};

}  // namespace velmar
