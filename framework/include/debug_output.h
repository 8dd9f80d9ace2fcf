#pragma once

// The diagnostic channel of the framework. On Windows the text goes to the
// debugger output (OutputDebugStringA); elsewhere to a sink that hands it to
// the host's debug output (below) when the process provides one, else writes
// it to standard error as one line, unless a test installs its own sink.
// Panels never read it.

using debugOutputSink = void (*)(const char* text, void* context);

void writeDebugOutput(const char* text);

// Replaces the sink on platforms without a debugger output; null restores the
// standard error sink. Not thread-safe: set it before scripts run.
void setDebugOutputSink(debugOutputSink sink, void* context);

// The host's debug output, outside Windows: a program that loads panel
// modules may define and export this function (panel-host does); the default
// sink finds it at run time and calls it once per text. Called on the
// thread of the call into the script; text is valid during the call only.
extern "C" void morv_host_debug_output(const char* text);
