#pragma once

#include "host_session.h"

#include <map>
#include <string>
#include <vector>

// The compact view of the terminal session: what a line changed on the
// panels, the routers and the timers, instead of the whole view.
class sessionSnapshot {
public:
    explicit sessionSnapshot(const hostSession& session);

    // One line per control, route and timer set that differs in `now`;
    // "" when nothing changed.
    std::string changesIn(const hostSession& now) const;

private:
    std::map<std::string, panelLayout> panels_;
    std::vector<routerDevice> devices_;
    std::string timers_;  // ids and intervals
};
