#pragma once

#include "text_builder.h"

#include <stddef.h>
#include <stdint.h>

// What the tracing module needs of the operating system, one small seam
// each (platform_posix.cpp: dlopen, dladdr, clock_gettime, gettid;
// platform_windows.cpp: the KERNEL32 calls). Files are written with the C
// library's stdio, the same on both.

// Loads a module by path; null when it cannot, with the reason added to
// `reason`.
void* openLibrary(const char* path, textBuilder& reason);
// The address of an exported function, or null.
void* librarySymbol(void* library, const char* name);
void closeLibrary(void* library);

// The path of the tracing module's own file; false when it does not fit.
bool ownModulePath(textBuilder& path);

// Milliseconds of a monotonic clock (wraps after 49 days; differences stay
// right).
uint32_t monotonicMilliseconds();
uint32_t currentThreadId();
uint32_t currentProcessId();

// The one lock of the trace: every line is formatted and written under it.
// Not recursive.
void lockTrace();
void unlockTrace();

// The lock of the module's start (settings, trace file, inner module).
void lockStart();
void unlockStart();

// The separator the platform writes between a folder and a file name.
#if defined(_WIN32)
constexpr char pathSeparator = '\\';
#else
constexpr char pathSeparator = '/';
#endif
