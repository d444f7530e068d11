#pragma once

#include <string>
#include <vector>

#include "device/DeviceState.h"
#include "device/RequestWriter.h"

namespace velmar {

// Which optional hardware the settings apply to, by the same rule the editor's pages use.
struct SettingsPresence {
    bool optionalModule = false;  // a board in the SFP module position
    bool dante = false;           // a board in the Dante position that reported its MAC
};
SettingsPresence SettingsPresenceOf(const ConfigBlock& config);

// What one apply did. Every group that differed counts, not only the last one: the frame is read
// back when anything changed, and the restart is offered when any network group changed.
struct ApplyOutcome {
    bool settingsChanged = false;
    bool networkChanged = false;       // the frame's own address settings (sip)
    bool danteNetworkChanged = false;  // a Dante interface or its redundancy mode
    std::size_t requestsSent = 0;
    std::vector<std::string> refused;       // why a request was not sent, one sentence each
    std::vector<std::int32_t> cardsToRead;  // cards written to, to be read back

    bool AnyChanged() const { return settingsChanged || networkChanged || danteNetworkChanged; }
    bool OfferRestart() const { return networkChanged || danteNetworkChanged; }
};

// Sends the set requests for what the operator changed: every field of `edited` that differs
// from `opened` (the copy taken when editing began) is written into `live`, and each group with a
// changed field is sent, in the frame's fixed group order, from the live values. A change the
// frame made meanwhile, and every field the operator did not touch, stay as the frame has them.
// A request refused for its text leaves that group's live fields as they were.
ApplyOutcome ApplySettings(const ConfigBlock& opened, const ConfigBlock& edited, DeviceState& live,
                           RequestWriter& requests);

// Every set word ApplySettings may send, for a caller that waits for their answers.
std::vector<CommandCode> ApplyWords();

// True when any field that ApplySettings would send differs between the two copies.
bool SettingsDiffer(const ConfigBlock& a, const ConfigBlock& b);

}  // namespace velmar
