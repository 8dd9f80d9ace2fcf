#pragma once

#include <windows.h>

// The tracing module's own handle, kept by its DllMain.
HMODULE tracingModuleHandle();
