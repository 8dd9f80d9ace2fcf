#pragma once

// Everything a panel host and a panel script agree on, in one header: the
// module's entry point, the two object interfaces, the notification and send
// codes, the record layouts, and which replies the script gives back. Hosts,
// scripts, tests and tools include this header.

#include "boundary_abi.h"
#include "host_records.h"
#include "morv_client_callback.h"
#include "notify_codes.h"
#include "script_host.h"

// ---- The entry point ---------------------------------------------------------

// The name under which a panel module exports its entry point, undecorated.
#define MORV_ENTRY_POINT_NAME "load_morv_client_script"
constexpr const char morvEntryPointName[] = MORV_ENTRY_POINT_NAME;

// The entry point is a C-linkage cdecl function on every platform.
#if defined(_WIN32) && (defined(__i386__) || defined(_M_IX86))
#define MORV_ENTRY_CALL __cdecl
#else
#define MORV_ENTRY_CALL
#endif

// Scripts mark their definition of the entry point with this; the build
// (morv_add_panel_script) makes it the module's only export.
#if defined(_WIN32)
#define MORV_SCRIPT_EXPORT
#else
#define MORV_SCRIPT_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

// Called by the host on its own thread, once for each panel it opens.
// host: the host's object; may be null, and the script then sends nothing.
//   Not owned: it must outlive the returned object.
// path: NUL-terminated folder of the panel's layout files (may be empty, may
//   be null), copied during the call.
// Returns a new script that the host owns and ends with destroyScript() (the
// table's deleting destructor), or null when none could be created (memory
// ran out, or the start-up failed). The script may send its start-up
// commands to host during this call. Must not throw.
MORV_SCRIPT_EXPORT morv_client_callback* MORV_ENTRY_CALL load_morv_client_script(script_host* host, const char* path);

// The entry point's type, for hosts that resolve it by name.
typedef morv_client_callback*(MORV_ENTRY_CALL* morvEntryPoint)(script_host* host, const char* path);

}  // extern "C"

// ---- Replies the script gives back -----------------------------------------

// The commands whose reply the script reads, copies and then gives back with
// sendRelease: "SD", "TG", "XI" and "RN". The script never gives back the
// reply to any other command.
constexpr const char* const morvReadingCommands[] = {"SD", "TG", "XI", "RN"};

// Whether `command` (a command text, or just its two-letter code) is one of
// morvReadingCommands. Null reads as no command.
inline bool isReadingCommandText(const char* command)
{
    if (command == nullptr || command[0] == '\0' || command[1] == '\0') {
        return false;
    }
    const bool codeEnds = command[2] == '\0' || command[2] == ' ';
    for (const char* code : morvReadingCommands) {
        if (codeEnds && command[0] == code[0] && command[1] == code[1]) {
            return true;
        }
    }
    return false;
}
