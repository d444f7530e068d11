#pragma once

#include <ostream>
#include <span>

#include "device/Session.h"
#include "device/discovery/DeviceEntry.h"

namespace velmar {

// What `velmar-cli status` and `routes` print, for people and for machines.
void PrintStatus(std::ostream& out, const Session& session);
void PrintStatusJson(std::ostream& out, const Session& session);
void PrintRoutes(std::ostream& out, const Session& session);
void PrintRoutesJson(std::ostream& out, const Session& session);
// The frames that answered discovery, with the console's five device-list columns.
void PrintDevices(std::ostream& out, std::span<const DeviceRow> rows);
void PrintDevicesJson(std::ostream& out, std::span<const DeviceRow> rows);

}  // namespace velmar
