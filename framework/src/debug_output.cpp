#include "debug_output.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <stdio.h>
#include <string.h>
#endif

namespace {
#if !defined(_WIN32)
// The host's morv_host_debug_output when the loading program exports one,
// else one line on standard error.
void writeToHostOrStandardError(const char* text, void* /*context*/)
{
    void* const found = dlsym(RTLD_DEFAULT, "morv_host_debug_output");
    if (found != nullptr) {
        void (*hostOutput)(const char*) = nullptr;
        memcpy(&hostOutput, &found, sizeof hostOutput);
        hostOutput(text);
        return;
    }
    // Standard error is the last place to report to: if it fails, there is
    // nowhere left to say so.
    (void)fputs(text, stderr);
    (void)fputc('\n', stderr);
    (void)fflush(stderr);
}

debugOutputSink currentSink = writeToHostOrStandardError;
void* currentContext = nullptr;
#endif
}  // namespace

void writeDebugOutput(const char* text)
{
#if defined(_WIN32)
    OutputDebugStringA(text);
#else
    currentSink(text, currentContext);
#endif
}

void setDebugOutputSink(debugOutputSink sink, void* context)
{
#if defined(_WIN32)
    (void)sink;
    (void)context;
#else
    currentSink = sink != nullptr ? sink : writeToHostOrStandardError;
    currentContext = sink != nullptr ? context : nullptr;
#endif
}
