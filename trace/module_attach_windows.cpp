// Module attach and detach of the tracing DLL: no per-thread work, its own
// handle kept for its path, and the trace's last line at unload.
#include <windows.h>

#include "module_handle_windows.h"
#include "tracing_module.h"

namespace {
HMODULE ownHandle;
}

HMODULE tracingModuleHandle()
{
    return ownHandle;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        ownHandle = module;
        DisableThreadLibraryCalls(module);
    } else if (reason == DLL_PROCESS_DETACH) {
        // reserved is set when the process ends rather than FreeLibrary.
        endTracing(reserved != nullptr);
    }
    return TRUE;
}
