#include "debug_output.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <stdio.h>
#endif

namespace {
#if !defined(_WIN32)
void writeToStandardError(const char* text, void* /*context*/)
{
    fputs(text, stderr);
    fflush(stderr);
}

debugOutputSink currentSink = writeToStandardError;
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
    currentSink = sink != nullptr ? sink : writeToStandardError;
    currentContext = sink != nullptr ? context : nullptr;
#endif
}
