#pragma once

#include "notification.h"
#include "script_boundary.h"

namespace panel_host {

// Calls script.notify with the payload `n` describes, built the way the host
// builds it (a tally record, a button record with its split event, a copy of
// the query text, the timer id in the pointer's place, ...) and valid only
// during the call. Returns what notify returned; the caller gives back a
// query's text. An exception thrown by the script passes through: the session
// and the validator each report it their own way.
const char* deliverNotification(morv_client_callback& script, const notification& n);

}  // namespace panel_host
