#pragma once

#include "morv_client_callback.h"
#include "script_host.h"

// The panel module's only export, as a host resolves it by name from the
// loaded module (dlsym / GetProcAddress).

#if defined(VANTRY_BUILDING)
#  if defined(_WIN32)
#    define VANTRY_EXPORT __declspec(dllexport)
#  else
#    define VANTRY_EXPORT __attribute__((visibility("default")))
#  endif
#else
#  define VANTRY_EXPORT
#endif

// The name under which the module exports the entry point.
constexpr const char loadMorvClientScriptName[] = "load_morv_client_script";

extern "C" {

// Called by the host on its own thread, once for each panel it opens.
// host: the host's object; may be null, and the panel then sends nothing.
//   Not owned: it must outlive the returned object.
// path: NUL-terminated folder of the panel's layout files (may be empty),
//   copied during the call.
// Returns a new panel script that the host owns and destroys by deleting it
// through morv_client_callback, or null when it could not be created. The
// script sends its start-up commands to host during this call. Never throws.
VANTRY_EXPORT morv_client_callback* load_morv_client_script(script_host* host, const char* path);

}  // extern "C"

// The type of the entry point, for hosts that resolve it by name.
typedef morv_client_callback* (*load_morv_client_script_function)(script_host* host, const char* path);
