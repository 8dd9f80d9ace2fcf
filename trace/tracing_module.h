#pragma once

#include "script_boundary.h"

#include <stdint.h>

// The module-level part of the tracing module. At the first export call it
// finds its own file, reads the settings beside it, opens the trace and loads
// the module it traces; at unload it writes the last line and unloads that
// module again.
//
// Deployed under a script's file name (vantry.dll, libvantry.so), it traces
// <name>.traced.<ext> beside itself (vantry.traced.dll, libvantry.traced.so)
// unless the settings file <name>.trace.conf names another module, and
// writes <name>-<process id>.trace beside itself unless the settings say
// otherwise (trace_settings.h, and the environment variable of
// trace_format.h, traceFolderVariable). Where the settings file was looked
// for, the trace's path, and any failure to write it or to load the traced
// module, go once to the debug output.

// Thread-safe; does its work once. The traced module's entry point, or null
// when it could not be loaded (every export call then returns null).
morvEntryPoint startTracing();

// At unload. processEnding: the whole process ends, so the traced module is
// left to the system instead of being unloaded.
void endTracing(bool processEnding);
