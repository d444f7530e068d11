#pragma once

#include <ostream>
#include <span>

#include "device/RequestOutcomes.h"
#include "device/Session.h"
#include "device/discovery/DeviceEntry.h"

namespace velmar {

// What `velmar-cli status` and `routes` print, for people and for machines. `read` is the
// reading of the frame: what the frame refused there is shown as unknown (null in JSON).
void PrintStatus(std::ostream& out, const Session& session, std::span<const RequestHandle> read);
void PrintStatusJson(std::ostream& out, const Session& session, std::span<const RequestHandle> read);
void PrintRoutes(std::ostream& out, const Session& session);
void PrintRoutesJson(std::ostream& out, const Session& session);
// The frames that answered discovery, with the console's five device-list columns.
void PrintDevices(std::ostream& out, std::span<const DeviceRow> rows);
void PrintDevicesJson(std::ostream& out, std::span<const DeviceRow> rows);

}  // namespace velmar
