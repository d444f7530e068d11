#pragma once

#include <ostream>

#include "device/Session.h"

namespace velmar {

// What `velmar-cli status` and `routes` print, for people and for machines.
void PrintStatus(std::ostream& out, const Session& session);
void PrintStatusJson(std::ostream& out, const Session& session);
void PrintRoutes(std::ostream& out, const Session& session);
void PrintRoutesJson(std::ostream& out, const Session& session);

}  // namespace velmar
