#pragma once

#include "host_session.h"

#include <string>

namespace panel_host {

// The state of a session as plain text: every shown panel with each control
// (a list's choice, a label's text, a button's enabled state and state sheet
// with its look), the routes of every router and the running timers.
std::string renderSessionView(const hostSession& session);

// One line per button of every shown panel: enabled state and state sheet.
// Enough to watch a flash between full views.
std::string renderButtonLine(const hostSession& session);

// The panels and timers without the router: what a terminal session shows
// when it starts.
std::string renderPanelView(const hostSession& session);

// One control as the views show it: "  Sources       list, chosen 5\n"; texts
// decoded from the host's code page.
std::string renderControlLine(const panelLayout& layout, const panelControl& control, codePage page);

// "timers: none\n" or "timers: 1 every 1000 ms (next at 2.000 s)\n".
std::string renderTimers(const hostSession& session);

}  // namespace panel_host
