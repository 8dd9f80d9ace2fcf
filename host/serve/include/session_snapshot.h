#pragma once

#include "host_session.h"

#include <nlohmann/json.hpp>

#include <string>

namespace panel_host {

// Where a session's files came from, for the page's status line (already
// written with ${module}-style names where the transcript uses them).
struct snapshotSources {
    std::string module;
    std::string layouts;
    std::string router;  // empty: the built-in router
};

// The state of a session as the page shows it:
//   {"module", "layouts", "router", "breaches",
//    "panels": [{"panel", "title", "controls": [{"name", "caption", "kind", "enabled",
//       "properties", "look", "items"}]}],
//    "routers": [{"name", "number", "sources", "destinations", "routes"}],
//    "timers": [{"id", "interval", "nextDue"}]}
// A button's "look" is that of its state sheet. A list's "items" are the
// names it offers: the first router's destinations for a list whose name
// starts with "Dest", its sources for every other list.
nlohmann::json sessionSnapshot(const hostSession& session, const snapshotSources& sources);

// The names a list control offers (see above); empty without a router.
const std::vector<std::string>& listItems(const std::string& listName, const routerModel& router);

}  // namespace panel_host
