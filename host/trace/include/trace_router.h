#pragma once

#include "router_model.h"
#include "trace_reader.h"

#include <string>
#include <vector>

namespace panel_host {

// The routers a trace shows: devices from the replies to "SD" (number and
// name), source and destination names from the replies to "RN", routes from
// the first tally of each destination, and as many sources and destinations
// as the commands and tallies name. Names it does not learn, or that a
// router file cannot hold, are "Source N", "Destination N", "Device N".
// Reads the (checked) trace once.
std::vector<routerDevice> routersOfTrace(const traceSource& source);

// The devices as a router configuration file (JSON).
std::string routerConfigText(const std::vector<routerDevice>& devices);

}  // namespace panel_host
