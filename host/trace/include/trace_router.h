#pragma once

#include "host_text.h"
#include "router_model.h"
#include "trace_reader.h"

#include <string>
#include <vector>

namespace panel_host {

// The routers a trace shows: devices from the replies to "SD" (number and
// name), source and destination names from the replies to "RN" and the
// texts of tallies, as the host gave them (any bytes), routes from the first
// tally of each destination, and as many sources and destinations as the
// commands and tallies name. Names it does not learn are "Source N" and
// "Destination N"; a device whose name a router file cannot hold (an
// apostrophe, or one another device has) is "Device N". Reads the (checked)
// trace once.
std::vector<routerDevice> routersOfTrace(const traceSource& source);

// The devices as a router configuration file (JSON) whose "codePage" is
// `page`: every name, of any bytes, reads back as the same bytes.
std::string routerConfigText(const std::vector<routerDevice>& devices, codePage page = codePage::windows1252);

}  // namespace panel_host
