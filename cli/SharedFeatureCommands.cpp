// The command tables of the features whose commands still live in cli/; each moves to its
// feature's folder with the feature.
#include "cli/CardCommands.h"
#include "cli/ChannelCommands.h"
#include "cli/CliFeatureList.h"
#include "cli/FrameCommands.h"
#include "cli/MaintenanceCommands.h"
#include "cli/SettingsCommands.h"

namespace velmar {

CliFeature IdentityCliFeature() {
    return FrameCliCommands();
}

CliFeature ClockCliFeature() {
    return {};
}

CliFeature RoutingCliFeature() {
    return {};
}

CliFeature FirmwareCliFeature() {
    return MaintenanceCliCommands();
}

CliFeature ChannelToolsCliFeature() {
    return ChannelCliCommands();
}

CliFeature InterfacesCliFeature() {
    return CardCliCommands();
}

CliFeature SettingsCliFeature() {
    return SettingsCliCommands();
}

}  // namespace velmar
