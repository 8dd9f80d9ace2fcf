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
//   {"module", "layouts", "router", "codePage", "breaches", "instances",
//    "panels": [{"instance", "loaded", "panel", "title", "controls": [{"name", "caption", "kind",
//       "enabled", "properties", "look", "items"}]}],
//    "routers": [{"name", "number", "sources", "destinations", "routes"}],
//    "timers": [{"instance", "id", "interval", "nextDue"}]}
// "panels" holds the panels of every script instance, in order. A button's
// "look" is that of its state sheet. A list's "items" are the names it
// offers: the first router's destinations for a list whose name starts with
// "Dest", its sources for every other list. Every text is decoded from the
// host's code page ("codePage"); a byte without a character in it is its
// private-use character (hostBytesToText), so a name sent back in an action
// names the same bytes.
nlohmann::json sessionSnapshot(const hostSession& session, const snapshotSources& sources);

// The names a list control offers (see above); empty without a router.
const std::vector<std::string>& listItems(const std::string& listName, const routerModel& router);

}  // namespace panel_host
