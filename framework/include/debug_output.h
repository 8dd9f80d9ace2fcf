#pragma once

// The diagnostic channel of the framework. On Windows the text goes to the
// debugger output (OutputDebugStringA); elsewhere to a sink that writes to
// standard error unless a test or tool installs its own. Hosts and panels
// never read it.

using debugOutputSink = void (*)(const char* text, void* context);

void writeDebugOutput(const char* text);

// Replaces the sink on platforms without a debugger output; null restores the
// standard error sink. Not thread-safe: set it before scripts run.
void setDebugOutputSink(debugOutputSink sink, void* context);
