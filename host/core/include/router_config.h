#pragma once

#include "host_text.h"
#include "router_model.h"

#include <string>
#include <vector>

namespace panel_host {

// Router configuration files (JSON, format in host/README.md) and the
// built-in default router.
struct routerConfigResult {
    bool ok = false;
    std::string error;                  // set when !ok: what is wrong and where
    std::vector<routerDevice> devices;  // names as host bytes
    // The code page of the host's texts, as the file says.
    codePage page = codePage::windows1252;
};

// The router the routing panel expects: "B4 Audio Router", device 1, 64
// named sources and 64 named destinations, destination d carrying source d.
std::vector<routerDevice> defaultRouterDevices();

// Reads and checks a configuration text; never throws.
routerConfigResult parseRouterConfig(const std::string& jsonText);
// Reads and checks the file at path; never throws.
routerConfigResult loadRouterConfig(const std::string& path);

}  // namespace panel_host
