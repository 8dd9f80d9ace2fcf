#pragma once

#include "host_session.h"

#include <map>
#include <string>
#include <vector>

namespace panel_host {

// The change view (the terminal session's compact view): the session's
// panels, routers and timers as they were, to tell what a line changed
// instead of printing the whole view.
class changeView {
public:
    explicit changeView(const hostSession& session);

    // One line per control, route and timer set that differs in `now`;
    // "" when nothing changed.
    std::string changesIn(const hostSession& now) const;

private:
    std::vector<std::map<std::string, panelLayout>> panels_;  // by instance, from 1
    std::vector<routerDevice> devices_;
    std::string timers_;  // ids and intervals
};

}  // namespace panel_host
