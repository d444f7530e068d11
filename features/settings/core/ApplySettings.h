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

// A get request that reads back one setting that was sent: the word and its key (0: none).
struct SettingRead {
    CommandCode get = CommandCode::error;
    std::int32_t key = 0;
    friend bool operator==(const SettingRead&, const SettingRead&) = default;
};

// What one apply did. Every group that differed counts, not only the last one: the frame is read
// back when anything changed, and the restart is offered when any network group changed.
struct ApplyOutcome {
    bool settingsChanged = false;
    bool networkChanged = false;       // the frame's own address settings (sip)
    bool danteNetworkChanged = false;  // a Dante interface or its redundancy mode
    std::size_t requestsSent = 0;
    std::vector<std::string> refused;       // why a request was not sent, one sentence each
    std::vector<std::int32_t> cardsToRead;  // cards written to, to be read back
    std::vector<SettingRead> toRead;        // the get requests for every group that was sent

    bool AnyChanged() const { return settingsChanged || networkChanged || danteNetworkChanged; }
    bool OfferRestart() const { return networkChanged || danteNetworkChanged; }
};

// Sends the set requests for what the operator changed: each group whose lines differ between
// `opened` (the copy taken when editing began) and `edited` is sent, in the frame's fixed group
// order, with its lines filled from `edited` through the field bindings. `frame` (the frame image
// as it is now) only decides which modules and cards are there; nothing is written into it, the
// frame's answers and the read-back bring the new values. A group with a text the line cannot
// carry is not sent at all and named in `refused`.
ApplyOutcome ApplySettings(const ConfigBlock& opened, const ConfigBlock& edited, const ConfigBlock& frame,
                           RequestWriter& requests);

// Sends the get requests of `outcome.toRead`: the frame image takes the new settings from the
// frame's own answers, as the frame holds them.
void ReadBackSettings(const ApplyOutcome& outcome, RequestWriter& requests);

// One group of settings that applying would send, named for the operator, with its request count.
struct PlannedGroup {
    std::string name;
    std::size_t requests = 0;
    friend bool operator==(const PlannedGroup&, const PlannedGroup&) = default;
};

// What ApplySettings would send for these edits on hardware as `presence` says, in the order it
// would send it; the cards by slot.
std::vector<PlannedGroup> PlanSettings(const ConfigBlock& opened, const ConfigBlock& edited,
                                       const SettingsPresence& presence);

// True when any field that ApplySettings would send differs between the two copies.
bool SettingsDiffer(const ConfigBlock& a, const ConfigBlock& b);

}  // namespace velmar
