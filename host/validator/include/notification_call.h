#pragma once

#include "notification.h"

class morv_client_callback;

namespace panel_host {

// Calls script.notify with the payload `n` describes, built the way the host
// builds it and valid only during the call, as a host does that has no
// session (a script created with a null host). An exception from the script
// is caught and gives null. The caller gives back a query's returned text.
const char* callNotify(morv_client_callback& script, const notification& n);

}  // namespace panel_host
